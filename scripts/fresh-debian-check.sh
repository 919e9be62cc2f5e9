#!/usr/bin/env bash
# Proves the README's two commands on a fresh machine: builds a minimal
# Debian 12 root (debootstrap --variant=minbase bookworm), copies the
# project's committed tree into it, and runs scripts/demo.sh and then
# scripts/test.sh inside it as root, with no locale and nothing installed
# by hand. Prints each command's time and the test summary at the end.
#
#   scripts/fresh-debian-check.sh [--keep] [--tree] [DIR] [-- PRESET...]
#
#   DIR     where the root goes (default: build/fresh-root, made anew)
#   --keep  reuse DIR when it already holds a root (skips debootstrap)
#   --tree  copy the work tree as it is, uncommitted changes included,
#           instead of the last commit
#   PRESET  passed on to scripts/test.sh (default: every preset)
#
# Needs root and a Debian mirror; installs debootstrap when it is missing.
# It takes about as long as the two commands themselves, plus a few minutes
# for the root. Not part of continuous integration.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build/fresh-root
keep=0
from_tree=0
presets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) keep=1 ;;
    --tree) from_tree=1 ;;
    --) shift; presets=("$@"); break ;;
    -*) sed -n '2,17p' "$0" >&2; exit 2 ;;
    *) dir=$1 ;;
  esac
  shift
done

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-debian-check: needs root (debootstrap, chroot, mounts)" >&2
  exit 1
fi
if ! command -v debootstrap >/dev/null; then
  apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
fi

mirror=${OVIK_DEBIAN_MIRROR:-http://deb.debian.org/debian}
log=$root/build/logs/fresh-debian-check.log
mkdir -p "$(dirname "$log")"

mounts=()
unmount_all() {
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount -l "${mounts[$i]}" 2>/dev/null || true
  done
}
trap unmount_all EXIT

mount_into_root() {
  local what=$1 where=$dir$2
  shift 2
  mkdir -p "$where"
  mount "$@" "$what" "$where"
  mounts+=("$where")
}

make_root() {
  if [ $keep -eq 1 ] && [ -x "$dir/usr/bin/apt-get" ]; then
    echo "== Reusing the root in $dir"
    return
  fi
  rm -rf "$dir"
  echo "== debootstrap --variant=minbase bookworm $dir"
  local started=$(date +%s)
  debootstrap --variant=minbase bookworm "$dir" "$mirror" >"$log.debootstrap" 2>&1 ||
    { tail -n 20 "$log.debootstrap"; exit 1; }
  # The security updates, as a stock Debian 12 has them.
  echo "deb $mirror bookworm main" >"$dir/etc/apt/sources.list"
  echo "deb ${mirror%/debian}/debian-security bookworm-security main" >>"$dir/etc/apt/sources.list"
  echo "   root made in $(($(date +%s) - started)) s"
}

copy_project() {
  rm -rf "$dir/root/project"
  mkdir -p "$dir/root/project"
  if [ $from_tree -eq 1 ]; then
    (cd "$root" && git ls-files -z --cached --others --exclude-standard |
      tar --null -T - -c) | tar -x -C "$dir/root/project"
  else
    git -C "$root" archive HEAD | tar -x -C "$dir/root/project"
  fi
}

# Runs one README command inside the root as a fresh login would: root, no
# locale, a plain PATH, nothing else from this shell's environment.
run_in_root() {
  chroot "$dir" /usr/bin/env -i HOME=/root TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /root/project && $*"
}

make_root
copy_project
cp /etc/resolv.conf "$dir/etc/resolv.conf"
mount_into_root proc /proc -t proc
mount_into_root sysfs /sys -t sysfs
mount_into_root /dev /dev --bind
mount_into_root devpts /dev/pts -t devpts
mount_into_root tmpfs /dev/shm -t tmpfs

status=0
demo_status=ok
demo_started=$(date +%s)
echo "== scripts/demo.sh (log: $log.demo)"
if ! run_in_root scripts/demo.sh >"$log.demo" 2>&1; then
  status=1
  demo_status="FAILED (see $log.demo)"
  tail -n 40 "$log.demo"
fi
demo_took=$(($(date +%s) - demo_started))

test_started=$(date +%s)
echo "== scripts/test.sh ${presets[*]} (log: $log.test)"
run_in_root scripts/test.sh "${presets[@]}" >"$log.test" 2>&1 || status=1
test_took=$(($(date +%s) - test_started))

echo
echo "== Fresh Debian 12 root: $dir"
printf 'scripts/demo.sh  %5d s  %s\n' "$demo_took" "$demo_status"
printf 'scripts/test.sh  %5d s\n' "$test_took"
sed -n '/^== Summary/,$p' "$log.test"
exit $status

#!/usr/bin/env bash
# The Debian packages each build needs, in one place. Run as root it installs
# what is missing; run as anyone else it prints the one apt-get line to run
# and fails. With --check it installs nothing: it names what is missing and
# the command that installs it, and fails when anything is.
#
#   scripts/install-deps.sh [--check] SET...
#
# A SET is what one command builds and runs:
#   demo                          what scripts/demo.sh builds and runs
#   debug, release, asan, tsan, fuzz  the test presets of this machine
#   armhf                         the 32-bit ARM cross build and qemu
#   host                          debug release asan tsan fuzz (and the demo)
#   arm                           host and armhf
set -euo pipefail

usage() {
  echo "usage: scripts/install-deps.sh [--check] {demo|debug|release|asan|tsan|fuzz|armhf|host|arm}..." >&2
  exit 2
}

check_only=0
if [ "${1:-}" = --check ]; then
  check_only=1
  shift
fi
[ $# -eq 0 ] && set -- host

# The demo's build (library, stand-in, example module, oxa-host, Java demo)
# and its run: the JDK, liblog, JACK's client library (with its header, for
# the example module's JACK client) and the JACK server; elfutils' addr2line
# names the inlined functions of oxa-host's crash and thread reports.
demo_pkgs=(
  cmake make g++
  elfutils
  openjdk-17-jdk-headless
  android-liblog-dev
  jackd2 libjack-jackd2-dev
)
# GoogleTest, for the template module's own tests built against the kit that
# the demo's build installs.
demo_pkgs+=(libgtest-dev)
# Every suite with g++, the JVM suites and benchmarks included; tsan needs
# nothing more (its runtime comes with g++). The LV2 bridge builds against
# lilv, and its suites run Debian's swh and mda plugins and compare with
# lv2apply (lilv-utils).
debug_pkgs=(
  "${demo_pkgs[@]}"
  pkg-config binutils file
  libgtest-dev libgmock-dev libbenchmark-dev
  android-libnativehelper-dev
  junit5
  strace
  doxygen
  spin
  liblilv-dev lilv-utils swh-lv2 mda-lv2
)
# LeakSanitizer names the dynamic loader's own functions in the suppressions
# of the JVM runs (tests/jvm/lsan.supp); it finds those names only in the
# loader's debug symbols.
asan_pkgs=("${debug_pkgs[@]}" libc6-dbg)
# clang's sanitizer runtimes come apart from clang itself.
fuzz_pkgs=("${debug_pkgs[@]}" clang libfuzzer-14-dev libclang-rt-14-dev)
# The armhf plugin packages are unpacked by scripts/armhf-lv2.sh (they cannot
# be installed beside the build machine's). The armhf Java runtime itself is
# fetched by scripts/armhf-jre.sh; of its
# libraries, the JVM suites need only libc, libstdc++, libgcc_s and zlib.
armhf_pkgs=(
  "${debug_pkgs[@]}"
  g++-arm-linux-gnueabihf qemu-user
  libc6:armhf libstdc++6:armhf libgcc-s1:armhf zlib1g:armhf
  android-liblog-dev:armhf libgtest-dev:armhf libgmock-dev:armhf
  libjack-jackd2-0:armhf
  liblilv-dev:armhf
)

pkgs=()
add_set() {
  local s
  case "$1" in
    demo) pkgs+=("${demo_pkgs[@]}") ;;
    debug | tsan | release) pkgs+=("${debug_pkgs[@]}") ;;
    asan) pkgs+=("${asan_pkgs[@]}") ;;
    fuzz) pkgs+=("${fuzz_pkgs[@]}") ;;
    armhf) pkgs+=("${armhf_pkgs[@]}") ;;
    host) for s in demo debug release asan tsan fuzz; do add_set "$s"; done ;;
    arm) for s in host armhf; do add_set "$s"; done ;;
    *) usage ;;
  esac
}
for set_name in "$@"; do
  add_set "$set_name"
done
mapfile -t pkgs < <(printf '%s\n' "${pkgs[@]}" | awk '!seen[$0]++')

needs_armhf_arch=0
for p in "${pkgs[@]}"; do
  [[ $p == *:armhf ]] && needs_armhf_arch=1
done

missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

add_arch=0
if [ $needs_armhf_arch -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx armhf; then
  add_arch=1
fi

if [ $check_only -eq 1 ] || [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages for $*: ${missing[*]}" >&2
  echo "Install them by running as root:" >&2
  echo "  scripts/install-deps.sh $*" >&2
  pre=""
  [ $add_arch -eq 1 ] && pre="dpkg --add-architecture armhf && "
  echo "or:" >&2
  echo "  ${pre}apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

[ $add_arch -eq 1 ] && dpkg --add-architecture armhf
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync can fail one index of many; what the
# install needs is then still there, and the install itself says when not.
apt-get update -qq || echo "apt-get update reported errors; installing from the indexes it has" >&2
apt-get install -y -qq --no-install-recommends "${missing[@]}"

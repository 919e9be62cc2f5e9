#!/usr/bin/env bash
# Provides the 32-bit ARM Java runtime that the armhf JVM suites run in under
# qemu, and prints its java home.
#
#   scripts/armhf-jre.sh [FOLDER]    # default FOLDER: build/armhf-jre
#
# When FOLDER holds no runtime yet, downloads openjdk-17-jre-headless:armhf
# with apt-get download (any user may; it needs the armhf package lists that
# scripts/install-deps.sh arm sets up, and says so when they are missing) and
# unpacks it with dpkg -x. The
# package's configuration links point into /etc/java-17-openjdk, which holds
# the host's files or nothing, so each is replaced with the package's own copy
# from the same tree; lib/jvm.cfg is the one the VM cannot start without.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dest=${1:-$root/build/armhf-jre}
pkg=openjdk-17-jre-headless:armhf
java_home_rel=usr/lib/jvm/java-17-openjdk-armhf

java_home="$dest/$java_home_rel"

is_ready() {
    [ -x "$java_home/bin/java" ] && [ -f "$java_home/lib/jvm.cfg" ] &&
        [ ! -L "$java_home/lib/jvm.cfg" ]
}

# The package comes from the armhf package lists, which only exist once
# armhf is a foreign architecture of dpkg and the lists were fetched.
check_lists() {
    if ! command -v apt-get >/dev/null || ! command -v dpkg >/dev/null; then
        echo "Missing: apt-get and dpkg (a Debian system), to fetch $pkg" >&2
        exit 1
    fi
    if ! dpkg --print-foreign-architectures | grep -qx armhf; then
        echo "Missing: the armhf package lists, which $pkg comes from." >&2
        echo "Add them by running as root: scripts/install-deps.sh arm" >&2
        exit 1
    fi
}

download() {
    local work=$1
    (cd "$work" && apt-get download "$pkg" >&2) || {
        echo "Could not download $pkg (apt-get download, as any user)." >&2
        echo "Refresh the armhf package lists by running as root: apt-get update" >&2
        exit 1
    }
}

# Replaces every link into /etc/java-17-openjdk with the file of the same
# name from the unpacked package, so the runtime does not depend on the
# host's configuration.
localise_config_links() {
    local tree=$1 link target copy
    while IFS= read -r -d '' link; do
        target=$(readlink "$link")
        case "$target" in
            /etc/java-17-openjdk/*) ;;
            *) continue ;;
        esac
        copy="$tree$target"
        [ -f "$copy" ] || continue
        rm "$link"
        cp "$copy" "$link"
    done < <(find "$tree/$java_home_rel" -type l -print0)
}

work=""
trap '[ -z "$work" ] || rm -rf "$work"' EXIT

unpack() {
    local tree
    check_lists
    work=$(mktemp -d "${dest%/}.tmp.XXXXXX")
    download "$work"
    tree="$work/tree"
    dpkg -x "$work"/openjdk-17-jre-headless_*_armhf.deb "$tree"
    localise_config_links "$tree"
    if [ ! -f "$tree/$java_home_rel/lib/jvm.cfg" ] || [ -L "$tree/$java_home_rel/lib/jvm.cfg" ]; then
        echo "the unpacked $pkg has no usable lib/jvm.cfg" >&2
        exit 1
    fi
    rm -rf "$dest"
    mv "$tree" "$dest"
}

if ! is_ready; then
    mkdir -p "$(dirname "$dest")"
    unpack
fi
echo "$java_home"

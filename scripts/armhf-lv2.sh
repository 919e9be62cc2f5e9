#!/usr/bin/env bash
# Provides the 32-bit ARM builds of the LV2 plugin packages that the LV2
# bridge's armhf suites run, and prints the LV2_PATH that finds them.
#
#   scripts/armhf-lv2.sh [FOLDER]    # default FOLDER: build/armhf-lv2
#
# Plugin packages are not Multi-Arch: the build machine's own (amd64) copies
# stay installed for lv2apply, and the armhf ones are downloaded with
# apt-get download (any user may; it needs the armhf package lists that
# scripts/install-deps.sh arm sets up) and unpacked with dpkg -x into FOLDER.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dest=${1:-$root/build/armhf-lv2}
pkgs=(swh-lv2:armhf mda-lv2:armhf)
lv2_path="$dest/usr/lib/lv2"

is_ready() {
    [ -d "$lv2_path/amp-swh.lv2" ] && [ -d "$lv2_path/mda.lv2" ] && [ -d "$lv2_path/core.lv2" ]
}

work=""
trap '[ -z "$work" ] || rm -rf "$work"' EXIT

unpack() {
    local deb
    if ! dpkg --print-foreign-architectures | grep -qx armhf; then
        echo "Missing: the armhf package lists, which ${pkgs[*]} come from." >&2
        echo "Add them by running as root: scripts/install-deps.sh arm" >&2
        exit 1
    fi
    work=$(mktemp -d "${dest%/}.tmp.XXXXXX")
    (cd "$work" && apt-get download "${pkgs[@]}" >&2) || {
        echo "Could not download ${pkgs[*]} (apt-get download, as any user)." >&2
        echo "Refresh the armhf package lists by running as root: apt-get update" >&2
        exit 1
    }
    for deb in "$work"/*.deb; do
        dpkg -x "$deb" "$work/tree"
    done
    # The LV2 specifications, of lv2-dev (the same files for every
    # architecture): the plugins' classes and port properties are defined
    # there.
    dpkg -L lv2-dev:armhf | grep -E '^/usr/lib/lv2/[^/]+[.]lv2$' |
        xargs -I{} cp -r {} "$work/tree/usr/lib/lv2/"
    rm -rf "$dest"
    mv "$work/tree" "$dest"
}

if ! is_ready; then
    mkdir -p "$(dirname "$dest")"
    unpack
fi
# Absolute: the tests run in folders of their own.
(cd "$lv2_path" && pwd)

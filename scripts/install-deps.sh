#!/usr/bin/env bash
# Installs the Debian packages the build needs. Run as root it installs what is
# missing; run as anyone else it prints the one apt-get line to run and fails.
#
#   scripts/install-deps.sh demo   # what scripts/demo.sh builds and runs
#   scripts/install-deps.sh host   # library, tests, demo on this machine
#   scripts/install-deps.sh arm    # host + the 32-bit ARM cross build and qemu
set -euo pipefail

want=${1:-host}

# The demo's build (library, stand-in, example module, oxa-host, Java demo)
# and its run: the JDK, liblog, JACK's client library (with its header, for
# the example module's JACK client) and the JACK server.
demo_pkgs=(
  cmake make g++
  openjdk-17-jdk-headless
  android-liblog-dev
  jackd2 libjack-jackd2-dev
)
host_pkgs=(
  cmake make g++ pkg-config binutils file
  libgtest-dev libgmock-dev libbenchmark-dev
  openjdk-17-jdk-headless
  android-liblog-dev android-libnativehelper-dev
  jackd2 libjack-jackd2-dev
  junit5
  clang libfuzzer-14-dev
  strace
  spin
)
# The armhf Java runtime itself is fetched by scripts/armhf-jre.sh; of its
# libraries, the JVM suites need only libc, libstdc++, libgcc_s and zlib.
arm_pkgs=(
  g++-arm-linux-gnueabihf qemu-user
  libc6:armhf libstdc++6:armhf libgcc-s1:armhf zlib1g:armhf
  android-liblog-dev:armhf libgtest-dev:armhf libgmock-dev:armhf
  libjack-jackd2-0:armhf
)

case "$want" in
  demo) pkgs=("${demo_pkgs[@]}") ;;
  host) pkgs=("${host_pkgs[@]}") ;;
  arm) pkgs=("${host_pkgs[@]}" "${arm_pkgs[@]}") ;;
  *) echo "usage: scripts/install-deps.sh [demo|host|arm]" >&2; exit 2 ;;
esac

missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

need_armhf=0
if [ "$want" = arm ] && ! dpkg --print-foreign-architectures | grep -qx armhf; then
  need_armhf=1
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them by running as root:" >&2
  pre=""
  [ $need_armhf -eq 1 ] && pre="dpkg --add-architecture armhf && "
  echo "  ${pre}apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

[ $need_armhf -eq 1 ] && dpkg --add-architecture armhf
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Fuzzes every libFuzzer target for a while, each from its seed corpus with
# the dictionary of command words; new inputs go to build/fuzz/findings/<target>
# (copy the interesting ones into tests/fuzz/corpus/ to keep them replayed).
#
#   scripts/fuzz.sh [MINUTES]     # minutes per target, default 1
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
minutes=${1:-1}
case "$minutes" in
  '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [MINUTES]" >&2; exit 2 ;;
esac

scripts/install-deps.sh host
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j2 --target ovik_fuzzers

corpus=tests/fuzz/corpus
for target in commands:ovik_fuzz_commands modified_utf8:ovik_fuzz_modified_utf8 \
              stream_text:ovik_fuzz_stream_text init_client:ovik_fuzz_init_client; do
  folder=${target%%:*}
  fuzzer=build/fuzz/tests/fuzz/${target#*:}
  findings=build/fuzz/findings/$folder
  mkdir -p "$findings"
  echo "== ${target#*:}: $minutes min"
  (cd "$findings" && "$root/$fuzzer" -max_total_time=$((minutes * 60)) -print_final_stats=1 \
      -dict="$root/tests/fuzz/commands.dict" . "$root/$corpus/$folder")
done

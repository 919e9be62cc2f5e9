#!/usr/bin/env bash
# Builds the debug tree and runs the stress program: 8 Java threads of seeded
# random operations over 16 clients in a real JVM under -Xcheck:jni. It
# prints its seed; the same seed replays the same operations.
#
#   scripts/stress.sh [--seed N] [--ops N] [--warmup N] [--seconds S] [--deadline S]
#
# --ops and --warmup count per thread (default 10000 and 40000); --seconds
# bounds the whole run; --deadline is the limit of one operation (default 10 s).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset debug >/dev/null
cmake --build build/debug -j2 --target ovik_jvm_test_binaries >/dev/null
exec bash build/debug/tests/jvm/stress.sh "$@"

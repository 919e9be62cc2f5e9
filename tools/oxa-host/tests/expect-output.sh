#!/usr/bin/env bash
# Runs a command, shows its output, and fails unless it exits with the
# expected status, its output holds every expected text and none of the
# rejected ones (fixed strings). --in picks the output the texts are looked
# for in: stdout, stderr, or both (the default).
#
#   expect-output.sh [--status N] [--in stdout|stderr|both] [--expect TEXT]...
#                    [--reject TEXT]... -- COMMAND [ARG]...
set -uo pipefail

status=0
stream=both
expected=()
rejected=()
while [ $# -gt 0 ]; do
  case "$1" in
    --status) status=$2; shift 2 ;;
    --in) stream=$2; shift 2 ;;
    --expect) expected+=("$2"); shift 2 ;;
    --reject) rejected+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) echo "expect-output.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ "$stream" = both ]; then
  "$@" >"$scratch/out" 2>&1
  actual=$?
  : >"$scratch/err"
else
  "$@" >"$scratch/out" 2>"$scratch/err"
  actual=$?
fi
cat "$scratch/out"
if [ -s "$scratch/err" ]; then
  echo "--- stderr:"
  cat "$scratch/err"
fi
case "$stream" in
  both|stdout) searched=$scratch/out ;;
  stderr) searched=$scratch/err ;;
  *) echo "expect-output.sh: --in wants stdout, stderr or both" >&2; exit 2 ;;
esac

failed=0
if [ "$actual" -ne "$status" ]; then
  echo "expect-output.sh: exit status $actual, expected $status" >&2
  failed=1
fi
for text in "${expected[@]}"; do
  if ! grep -qF -- "$text" "$searched"; then
    echo "expect-output.sh: missing from $stream: $text" >&2
    failed=1
  fi
done
for text in "${rejected[@]}"; do
  if grep -qF -- "$text" "$searched"; then
    echo "expect-output.sh: found in $stream, but should not be: $text" >&2
    failed=1
  fi
done
exit $failed

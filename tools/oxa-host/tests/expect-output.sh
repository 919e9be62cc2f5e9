#!/usr/bin/env bash
# Runs a command, shows its output, and fails unless it exits with the
# expected status and its output holds every expected text (fixed strings).
#
#   expect-output.sh [--status N] [--expect TEXT]... -- COMMAND [ARG]...
set -uo pipefail

status=0
expected=()
while [ $# -gt 0 ]; do
  case "$1" in
    --status) status=$2; shift 2 ;;
    --expect) expected+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) echo "expect-output.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

output=$("$@" 2>&1)
actual=$?
printf '%s\n' "$output"

failed=0
if [ "$actual" -ne "$status" ]; then
  echo "expect-output.sh: exit status $actual, expected $status" >&2
  failed=1
fi
for text in "${expected[@]}"; do
  if ! grep -qF -- "$text" <<<"$output"; then
    echo "expect-output.sh: missing output: $text" >&2
    failed=1
  fi
done
exit $failed

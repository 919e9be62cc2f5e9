#!/usr/bin/env bash
# Runs one batch of JVM suites and fails when the JVM fails or when its JNI
# checker (-Xcheck:jni) complained anywhere in the output, even if every
# test passed.
#
#   run-jvm.sh OUTPUT_FILE [NAME=VALUE ...] -- JAVA_COMMAND...
#
# The NAME=VALUE pairs are set in the JVM's environment only (for example
# LD_PRELOAD for the sanitizer runtime). The whole output is kept in
# OUTPUT_FILE and printed.
set -u

if [ $# -lt 2 ]; then
  echo "usage: $0 OUTPUT_FILE [NAME=VALUE ...] -- JAVA_COMMAND..." >&2
  exit 2
fi
output=$1
shift
settings=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  settings+=("$1")
  shift
done
if [ $# -eq 0 ]; then
  echo "$0: missing -- before the java command" >&2
  exit 2
fi
shift

env "${settings[@]}" "$@" >"$output" 2>&1
status=$?
cat "$output"

checker='WARNING in native method|FATAL ERROR in native method|WARNING: JNI local refs'
if grep -E -q "$checker" "$output"; then
  echo "run-jvm: the JNI checker complained:" >&2
  grep -E "$checker" "$output" >&2
  exit 1
fi
if [ $status -ne 0 ]; then
  echo "run-jvm: the JVM exited with status $status" >&2
  exit 1
fi

#!/usr/bin/env bash
# The first thing to run: installs what the demo needs (as root; otherwise
# prints the apt-get line and stops), builds the demo preset in build/demo
# (the library, the JACK loader stand-in, the example module, oxa-host and the
# Java demo; no test suites), and runs the Java service demo on the example
# module in a real JVM under -Xcheck:jni, then the command-line host on the
# same module. It ends with the next steps: a module of your own, the tests.
#
# When jackd can run, the demo starts a JACK server of its own for the length
# of the demo (`jackd --no-realtime -d dummy`, under a name of its own), and
# the example module becomes a real JACK client whose meter the demo prints;
# otherwise it says so and the module counts its levels.
#
#   scripts/demo.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=build/demo

scripts/install-deps.sh demo

started=$(date +%s)
cmake --preset demo
cmake --build "$build" -j2
echo "(built in $(($(date +%s) - started)) s)"

module_dir=$build/examples/wave-demo
module_file=libwave_demo.so

# A JACK server for the demo, stopped when the demo ends however it ends.
jack_args=()
start_words="start_client -v"
jackd_pid=""
stop_jackd() {
  [ -n "$jackd_pid" ] || return 0
  kill "$jackd_pid" 2>/dev/null || true
  wait "$jackd_pid" 2>/dev/null || true
  jackd_pid=""
}
trap stop_jackd EXIT
echo
if command -v jackd >/dev/null && command -v jack_wait >/dev/null; then
  export JACK_DEFAULT_SERVER="ovik-demo-$$"
  jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r 48000 >"$build/jackd.log" 2>&1 &
  jackd_pid=$!
  if jack_wait -w -t 10 >/dev/null 2>&1; then
    echo "== JACK server \"$JACK_DEFAULT_SERVER\" started (jackd --no-realtime -d dummy, pid $jackd_pid)"
    jack_args=(jack)
    start_words="start_client -v jack"
  else
    echo "== jackd did not start (see $build/jackd.log): the module runs without JACK"
    stop_jackd
  fi
else
  echo "== No JACK server: jackd is missing (package jackd2; as root: apt-get install -y jackd2)."
  echo "   The example module runs without JACK and counts its levels."
fi

echo
echo "== Java service demo: client demo_7 on $module_dir/$module_file"
echo "   (events on stdout, the library's log lines from liblog on stderr)"
"$build"/examples/java-demo/run-java-demo.sh "${jack_args[@]}"

echo
echo "== The same module through the command-line host:"
answers=11
[ ${#jack_args[@]} -eq 0 ] || answers=12
host=("$build"/tools/oxa-host/oxa-host --name demo_7 --expect-answers $answers --wait-ms 5000
      "$module_dir" "$module_file" "$start_words" activate "gain 3"
      --request letters:20 --stream 5:00ab7f --jack-name)
printf "  "; printf " %q" "${host[@]}"; echo
"${host[@]}"
stop_jackd

prefix='$HOME/ovik'
cat <<NEXT

Done. Next:

  Write a module of your own: install the kit, then build and run the
  template module (examples/wave-template; copy it to start yours):

    cmake --install $build --prefix $prefix
    cmake -S examples/wave-template -B build/my-wave -DCMAKE_PREFIX_PATH=$prefix
    cmake --build build/my-wave
    $prefix/bin/oxa-host --name template_1 build/my-wave libwave_template.so hello

  Run the tests: scripts/test.sh debug   (the quick run: every suite, one build;
  scripts/test.sh alone runs every preset, as continuous integration does)

  Read on: docs/module-authors.md (modules), docs/service-developers.md and
  docs/embedding-from-java.md (the Java side), docs/contributors.md.
NEXT

#!/usr/bin/env bash
# The first thing to run: installs what the demo needs (as root; otherwise
# prints the apt-get line and stops), builds the demo preset in build/demo
# (the library, the JACK loader stand-in, the example module, oxa-host and the
# Java demo; no test suites), and runs the Java service demo on the example
# module in a real JVM under -Xcheck:jni, then the command-line host on the
# same module. It ends with the next steps: a module of your own, the tests.
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

echo
echo "== Java service demo: client demo_7 on $module_dir/$module_file"
echo "   (events on stdout, the library's log lines from liblog on stderr)"
"$build"/examples/java-demo/run-java-demo.sh

echo
echo "== The same module through the command-line host:"
host=("$build"/tools/oxa-host/oxa-host --name demo_7 --expect-answers 11 --wait-ms 5000
      "$module_dir" "$module_file" "start_client -v" activate "gain 3"
      --request letters:20 --stream 5:00ab7f --jack-name)
printf "  "; printf " %q" "${host[@]}"; echo
"${host[@]}"

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
NEXT

#!/usr/bin/env bash
# The first thing to run: installs what the build needs (as root; otherwise
# prints the apt-get line and stops), builds a release build in build/release,
# and runs the Java service demo on the example module in a real JVM under
# -Xcheck:jni, then the command-line host on the same module.
#
#   scripts/demo.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=build/release

scripts/install-deps.sh host

if [ -f CMakePresets.json ]; then
  cmake --preset release
else
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j2

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

echo
echo "Done. Try your own module with:"
echo "  $build/tools/oxa-host/oxa-host --help"
echo "Run every test suite with: ctest --test-dir $build -j2"

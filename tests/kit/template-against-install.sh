#!/usr/bin/env bash
# Installs a build into a staged prefix, configures and builds the template
# module out of tree against that prefix (find_package(OvikWave)), runs its
# tests with ctest (the validator's test and its own, on the kit's test
# harness), and runs the installed oxa-host on the result, which must print
# the template's answers. Arguments after -- start the installed programs
# (the emulator of a cross build; nothing otherwise).
set -euo pipefail

config="" toolchain="" cxx_flags="" linker_flags="" build_type=""
while [ $# -gt 0 ]; do
  case "$1" in
    --cmake) cmake=$2 ;;
    --ctest) ctest=$2 ;;
    --build-dir) build_dir=$2 ;;
    --config) config=$2 ;;
    --stage) stage=$2 ;;
    --template) template=$2 ;;
    --template-build) template_build=$2 ;;
    --generator) generator=$2 ;;
    --build-type) build_type=$2 ;;
    --cxx) cxx=$2 ;;
    --cxx-flags) cxx_flags=$2 ;;
    --linker-flags) linker_flags=$2 ;;
    --toolchain) toolchain=$2 ;;
    --expect-script) expect=$2 ;;
    --) shift; break ;;
    *) echo "template-against-install.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift 2
done
emulator=("$@")

step() { printf '== %s\n' "$*"; }

# A fresh prefix and template build each run: nothing stale is found.
rm -rf "$stage" "$template_build"
step "install into $stage"
"$cmake" --install "$build_dir" --prefix "$stage" ${config:+--config "$config"}

configure=("$cmake" -S "$template" -B "$template_build" -G "$generator"
           -DCMAKE_PREFIX_PATH="$stage" -DCMAKE_BUILD_TYPE="$build_type"
           -DCMAKE_CXX_FLAGS="$cxx_flags" -DCMAKE_SHARED_LINKER_FLAGS="$linker_flags")
if [ -n "$toolchain" ]; then
  configure+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
else
  configure+=(-DCMAKE_CXX_COMPILER="$cxx")
fi
step "configure the template against the staged prefix"
"${configure[@]}"
step "build the template"
"$cmake" --build "$template_build" ${config:+--config "$config"}

module=$(find "$template_build" -name libwave_template.so -print -quit)
[ -n "$module" ] || { echo "no libwave_template.so under $template_build" >&2; exit 1; }

# Only the C entry points leave the module.
step "the module's exported functions"
exports=$(readelf --dyn-syms --wide "$module" |
          awk '$4 == "FUNC" && $5 == "GLOBAL" && $7 != "UND" { print $8 }' | sort | tr '\n' ' ')
echo "$exports"
want="oxa_create oxa_destroy oxa_get_api_level oxa_user_get_major_version_number oxa_user_get_minor_version_number oxa_user_get_patch_version_number "
if [ "$exports" != "$want" ]; then
  echo "expected exactly: $want" >&2
  exit 1
fi

# The module is a JACK client through ovik_wave_link_jack(): linked against
# libjack, with the kit's source that keeps libjack loaded.
step "the module links libjack"
# (grep without -q in pipes: a grep that stops early makes the writer fail
# under pipefail.)
readelf --dynamic "$module" | grep 'NEEDED.*libjack\.so' >/dev/null ||
  { echo "$module does not link libjack" >&2; exit 1; }

# The validator as a CTest test (ovik_add_wave_test) and the template's own
# tests on the installed harness (OvikWave::testing), under the emulator of
# a cross build.
step "the template's tests"
"$ctest" --test-dir "$template_build" --output-on-failure ${config:+-C "$config"}
"$ctest" --test-dir "$template_build" -N -R '^wave_template_check$' | grep 'Total Tests: 1' >/dev/null ||
  { echo "ovik_add_wave_test(template) registered no test wave_template_check" >&2; exit 1; }

# A module the check refuses (built for a newer API level than the host's):
# the build fails and keeps the module; the switches leave the check out,
# and switching it on again brings it back.
step "a failed check fails the build and keeps the module"
broken_src="$template_build-broken-src" broken_build="$template_build-broken"
rm -rf "$broken_src" "$broken_build"
cp -r "$template" "$broken_src"
sed -i 's/return 4;/return 99;/' "$broken_src/TemplateExports.cpp"
# Configured with no build type: the template's default keeps debug
# information. Its tests are left out, as they would only fail the same way.
broken_configure=()
for argument in "${configure[@]}"; do
  case "$argument" in -DCMAKE_BUILD_TYPE=*) ;; *) broken_configure+=("$argument") ;; esac
done
broken_configure[2]="$broken_src" broken_configure[4]="$broken_build"
broken_configure+=(-DBUILD_TESTING=OFF)
build_broken() {
  "${broken_configure[@]}" "$@" > "$broken_build.log" 2>&1 &&
    "$cmake" --build "$broken_build" ${config:+--config "$config"} >> "$broken_build.log" 2>&1
}
expect_build() {  # expect_build pass|fail <configure option>...
  local want=$1 got=pass
  shift
  build_broken "$@" || got=fail
  if [ "$got" != "$want" ]; then
    cat "$broken_build.log"
    echo "with $*: the build should $want, and did not" >&2
    exit 1
  fi
}
expect_build pass -DOVIK_WAVE_CHECK=OFF
if [ -z "$config" ]; then
  grep -q '^CMAKE_BUILD_TYPE:STRING=RelWithDebInfo$' "$broken_build/CMakeCache.txt" ||
    { echo "the template's default build type is not RelWithDebInfo" >&2; exit 1; }
  readelf --section-headers "$(find "$broken_build" -name libwave_template.so -print -quit)" |
    grep '\.debug_info' >/dev/null || { echo "the template builds without debug information" >&2; exit 1; }
fi
expect_build fail -DOVIK_WAVE_CHECK=ON
grep -q "FAIL" "$broken_build.log" || { cat "$broken_build.log"; exit 1; }
[ -n "$(find "$broken_build" -name libwave_template.so -print -quit)" ] ||
  { echo "the failed check deleted libwave_template.so" >&2; exit 1; }
expect_build pass -DOVIK_WAVE_CHECK_template=OFF
expect_build fail -DOVIK_WAVE_CHECK_template=ON

# The validator's CTest test fails as the build-time check does.
step "ovik_add_wave_test fails on a module the check refuses"
expect_build pass -DOVIK_WAVE_CHECK=OFF -DBUILD_TESTING=ON
if "$ctest" --test-dir "$broken_build" -R '^wave_template_check$' ${config:+-C "$config"} \
     > "$broken_build.ctest.log" 2>&1 ||
   ! grep 'wave_template_check .*Failed' "$broken_build.ctest.log" >/dev/null; then
  cat "$broken_build.ctest.log"
  echo "wave_template_check did not fail on a module the check refuses" >&2
  exit 1
fi

# The file name given does not exist: the host must find the module through
# its fallback name, libwave_<module name>.so.
step "run it with the installed oxa-host"
exec "$expect" \
  --expect "log I VAD-OXAClient: (in)wave info : 1 1 1 4" \
  --expect "answer text msgType=0 ext1=1 ext2=3: \"template ready\"" \
  --expect "answer text msgType=0 ext1=1 ext2=3: \"hello from the template\"" \
  --expect "answer text msgType=0 ext1=1 ext2=3: \"set up\"" \
  --expect "answer text msgType=0 ext1=1 ext2=3: \"stream of 3 bytes\"" \
  -- "${emulator[@]}" "$stage/bin/oxa-host" --name template_3 --package template \
     --expect-answers 4 --wait-ms 20000 \
     "$(dirname "$module")" libwave_nothing_here.so hello start_client --stream 1:0a0b0c

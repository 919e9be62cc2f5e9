#!/usr/bin/env bash
# Builds and tests everything, from a fresh Debian 12 on:
#
#   debug  every suite, the JVM suites included
#   release  every suite, the JVM suites included, on the library as it
#          ships: Release, with link-time optimisation
#   asan   every suite under AddressSanitizer and UndefinedBehaviorSanitizer
#          (the JVM suites with the sanitizer runtime preloaded into java)
#   tsan   the native and fake-JNI suites under ThreadSanitizer (no JVM)
#   fuzz   clang build of the libFuzzer targets; replays each seed corpus
#   armhf  the 32-bit ARM cross build, Release with link-time optimisation as
#          the device gets it: every native and fake-JNI suite and the JVM
#          suites on the armhf JVM, all under qemu-arm
#
#   scripts/test.sh [PRESET...]     # default: debug release asan tsan fuzz armhf
#
# The debug, release and armhf builds fail on any compiler warning.
#
# Missing Debian packages are installed when run as root (scripts/install-deps.sh);
# anyone else is shown the one apt-get line to run and the script stops. Before
# each preset, what that preset needs is checked again, so a missing package
# is named up front instead of failing deep in a build or at a test's exit.
# Build trees go to build/<preset> (OVIK_BUILD_ROOT moves them elsewhere).
# Fails when any step of any preset fails; the presets after a failed one
# still run, so the summary shows everything at once.
#
# Progress: each step starts with a banner naming the preset and the step,
# with the time spent in the preset and in all; while a build runs, a line
# every 30 s gives its latest progress; CTest prints each test as it ends,
# with its time, and a line every 30 s says which tests are still running.
#
# Day to day, `scripts/test.sh debug` is the quick run (every suite, one
# build); continuous integration runs every preset.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${OVIK_BUILD_ROOT:-$root/build}
jobs=2

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(debug release asan tsan fuzz armhf)

declare -a summary=()
failed=0

log_dir="$build_root/logs"
run_started=$(date +%s)
preset_started=$run_started
preset_label=""

# 75 -> 1:15
mmss() {
    printf '%d:%02d' $(($1 / 60)) $(($1 % 60))
}

say() {
    printf '\n== %s\n' "$*"
}

# A step's banner: the preset, its place in the run, the step, the times.
banner() {
    local now
    now=$(date +%s)
    say "$preset_label: $1   [preset $(mmss $((now - preset_started))), all $(mmss $((now - run_started)))]"
}

# While the process `pid` runs, prints every 30 s how long it has been
# running and what `describe` says it is doing.
ticker() {
    local pid=$1 describe=$2 start now waited=0
    start=$(date +%s)
    while kill -0 "$pid" 2>/dev/null; do
        sleep 1
        waited=$((waited + 1))
        if [ $((waited % 30)) -eq 0 ] && kill -0 "$pid" 2>/dev/null; then
            now=$(date +%s)
            printf '   .. %s %s: %s\n' "$preset_label" "$(mmss $((now - start)))" "$($describe)"
        fi
    done
}

# The build log's last progress line ("[ 42%] Building CXX object ...").
build_log=""
describe_build() {
    grep -E '^\[ *[0-9]+%\]' "$build_log" 2>/dev/null | tail -n 1 | cut -c1-110
}

# The tests started but not yet ended, from CTest's log of the run.
test_log=""
describe_tests() {
    local running
    running=$(awk '
        /^ *Start +[0-9]+: / { n = $2; sub(":", "", n); name[n] = $3 }
        / Test +#[0-9]+: / { match($0, /#[0-9]+/); delete name[substr($0, RSTART + 1, RLENGTH - 1)] }
        END { for (n in name) printf "%s ", name[n] }' "$test_log" 2>/dev/null)
    echo "running ${running:-(between tests)}"
}

# Installs (as root) what every preset of this run needs; anyone else is
# shown the apt-get line, and the run stops.
install_dependencies() {
    say "Dependencies (${presets[*]})"
    "$root/scripts/install-deps.sh" "${presets[@]}"
}

# Whether what one preset needs is there; names what is missing and the
# command that installs it.
check_dependencies() {
    "$root/scripts/install-deps.sh" --check "$1"
}

# Extra configure arguments of a preset; fails when its set-up fails.
configure_args() {
    local java_home lv2_path
    case "$1" in
        armhf)
            java_home=$("$root/scripts/armhf-jre.sh" "$build_root/armhf-jre") || return 1
            lv2_path=$("$root/scripts/armhf-lv2.sh" "$build_root/armhf-lv2") || return 1
            echo "-DOVIK_TARGET_JAVA_HOME=$java_home -DWAVE_LV2_PATH=$lv2_path"
            ;;
    esac
}

# "N tests, M failed" from a ctest log.
test_counts() {
    local total bad
    total=$(sed -nE 's/.* tests? failed out of ([0-9]+).*/\1/p' "$1" | tail -n 1)
    bad=$(sed -nE 's/.* ([0-9]+) tests? failed out of .*/\1/p' "$1" | tail -n 1)
    if [ -n "$total" ]; then
        echo "$total tests, $bad failed"
    else
        echo "no test results"
    fi
}

# Runs one step, its output in `log`, with a progress line now and then from
# `describe`; on failure prints the log's end.
run_step() {
    local log=$1 describe=$2 pid status
    shift 2
    "$@" >"$log" 2>&1 &
    pid=$!
    ticker "$pid" "$describe" &
    wait "$pid"
    status=$?
    wait
    [ "$status" -eq 0 ] && return 0
    tail -n 60 "$log"
    echo "(full log: $log)"
    return 1
}

describe_nothing() {
    echo "still at it"
}

# CTest with a line per test as it ends; its whole output also goes to the
# log, including the "Start" lines the ticker reads. The exit status is
# CTest's (pipefail).
run_tests() {
    local preset=$1 dir=$2 pid status
    test_log="$log_dir/$preset-test.log"
    : >"$test_log"
    ctest --preset "$preset" --test-dir "$dir" -j "$jobs" 2>&1 |
        tee "$test_log" | grep --line-buffered -vE '^ *Start +[0-9]+: ' &
    pid=$!
    ticker "$pid" describe_tests &
    wait "$pid"
    status=$?
    wait
    return "$status"
}

run_preset() {
    local preset=$1 index=$2 dir="$build_root/$1" args status=ok counts=""
    preset_started=$(date +%s)
    preset_label="$preset ($index/${#presets[@]})"
    banner "check dependencies"
    if ! check_dependencies "$preset"; then
        summary+=("$(printf '%-7s FAILED at set-up: missing packages (see above)' "$preset")")
        return 1
    fi
    banner configure
    if ! args=$(configure_args "$preset"); then
        summary+=("$(printf '%-7s FAILED at set-up' "$preset")")
        return 1
    fi
    # shellcheck disable=SC2086 # args: words without spaces, or none
    if ! run_step "$log_dir/$preset-configure.log" describe_nothing \
        cmake --preset "$preset" -B "$dir" $args; then
        status="FAILED at configure"
    else
        banner build
        build_log="$log_dir/$preset-build.log"
        if ! run_step "$build_log" describe_build cmake --build "$dir" -j "$jobs"; then
            status="FAILED at build"
        else
            banner "test (each test as it ends)"
            run_tests "$preset" "$dir" || status="FAILED at test"
            counts=$(test_counts "$log_dir/$preset-test.log")
        fi
    fi
    local took=$(($(date +%s) - preset_started))
    summary+=("$(printf '%-7s %-20s %4d s  %s' "$preset" "$status" "$took" "$counts")")
    [ "$status" = ok ]
}

main() {
    local started preset
    started=$(date +%s)
    # Presets are found in the source tree.
    cd "$root" || exit 1
    install_dependencies || exit 1
    mkdir -p "$log_dir"
    local index=0
    for preset in "${presets[@]}"; do
        index=$((index + 1))
        run_preset "$preset" "$index" || failed=1
    done
    say "Summary ($(($(date +%s) - started)) s in all)"
    printf '%s\n' "${summary[@]}"
    if [ $failed -ne 0 ]; then
        echo "FAILED"
        exit 1
    fi
    echo "All presets passed"
}

main

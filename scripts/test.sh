#!/usr/bin/env bash
# Builds and tests everything, from a fresh Debian 12 on:
#
#   debug  every suite, the JVM suites included
#   asan   every suite under AddressSanitizer and UndefinedBehaviorSanitizer
#          (the JVM suites with the sanitizer runtime preloaded into java)
#   tsan   the native and fake-JNI suites under ThreadSanitizer (no JVM)
#   armhf  the 32-bit ARM cross build: every native and fake-JNI suite and the
#          JVM suites on the armhf JVM, all under qemu-arm
#
#   scripts/test.sh [PRESET...]     # default: debug asan tsan armhf
#
# Missing Debian packages are installed when run as root (scripts/install-deps.sh);
# anyone else is shown the one apt-get line to run and the script stops.
# Build trees go to build/<preset> (OVIK_BUILD_ROOT moves them elsewhere).
# Fails when any step of any preset fails; the presets after a failed one
# still run, so the summary shows everything at once.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${OVIK_BUILD_ROOT:-$root/build}
jobs=2

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(debug asan tsan fuzz armhf)

declare -a summary=()
failed=0

log_dir="$build_root/logs"

say() {
    printf '\n== %s\n' "$*"
}

needs_arm() {
    local p
    for p in "${presets[@]}"; do
        [ "$p" = armhf ] && return 0
    done
    return 1
}

install_dependencies() {
    local set=host
    needs_arm && set=arm
    say "Dependencies ($set)"
    "$root/scripts/install-deps.sh" "$set"
}

# Extra configure arguments of a preset; fails when its set-up fails.
configure_args() {
    local java_home
    case "$1" in
        armhf)
            java_home=$("$root/scripts/armhf-jre.sh" "$build_root/armhf-jre") || return 1
            echo "-DOVIK_TARGET_JAVA_HOME=$java_home"
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

# Runs one step, its output in `log`; on failure prints the log's end.
run_step() {
    local log=$1
    shift
    if "$@" >"$log" 2>&1; then
        return 0
    fi
    tail -n 60 "$log"
    echo "(full log: $log)"
    return 1
}

run_preset() {
    local preset=$1 dir="$build_root/$1" start args status=ok counts=""
    start=$(date +%s)
    say "$preset: configure"
    if ! args=$(configure_args "$preset"); then
        summary+=("$(printf '%-6s FAILED at set-up' "$preset")")
        return 1
    fi
    # shellcheck disable=SC2086 # args is one word or none
    if ! run_step "$log_dir/$preset-configure.log" \
        cmake --preset "$preset" -B "$dir" $args; then
        status="FAILED at configure"
    else
        say "$preset: build"
        if ! run_step "$log_dir/$preset-build.log" cmake --build "$dir" -j "$jobs"; then
            status="FAILED at build"
        else
            say "$preset: test"
            ctest --preset "$preset" --test-dir "$dir" -j "$jobs" 2>&1 |
                tee "$log_dir/$preset-test.log"
            [ "${PIPESTATUS[0]}" -eq 0 ] || status="FAILED at test"
            counts=$(test_counts "$log_dir/$preset-test.log")
        fi
    fi
    local took=$(($(date +%s) - start))
    summary+=("$(printf '%-6s %-20s %4d s  %s' "$preset" "$status" "$took" "$counts")")
    [ "$status" = ok ]
}

main() {
    local started preset
    started=$(date +%s)
    # Presets are found in the source tree.
    cd "$root" || exit 1
    install_dependencies || exit 1
    mkdir -p "$log_dir"
    for preset in "${presets[@]}"; do
        run_preset "$preset" || failed=1
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

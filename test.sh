#!/usr/bin/env bash
# Builds everything and runs every test: native, sanitizers, the Windows build under Wine, and
# the fuzz targets. Stages can be picked by name; see --help.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

all_stages=(native sanitize tsan win32 package fuzz)
usage() {
    cat <<'USAGE'
Usage: ./test.sh [--no-deps] [STAGE...]

Builds and tests the given stages, in the order given; with none, all of them in this order:
  native     native Linux build (Release) and its tests
  sanitize   the same with the address and undefined-behaviour sanitizers and fault injection
  tsan       the same with the thread sanitizer
  win32      Windows build (mingw-w64), its tests under Wine with a virtual display
  package    the three release packages: contents, lintian, the setup under Wine, and the same
             bytes from a second checkout
  fuzz       the libFuzzer targets, 60 seconds each (ZOK_FUZZ_SECONDS to change)

Named only, never run by default:
  coverage   the native tests with fault injection in a gcov build, then the lines and branches
             of core/, fileops/, ui/ and cli/ that they reach (gcovr): a report, not a gate

Options:
  --no-deps  skip installing the Debian packages the builds need (once they are there)
  -h, --help this text

A single test: ctest --preset native -R FaultSweep; a group: ctest --preset native -L runs.
USAGE
}

install_deps=1
stages=()
for arg in "$@"; do
    case $arg in
        -h | --help) usage; exit 0 ;;
        --no-deps) install_deps=0 ;;
        native | sanitize | tsan | win32 | package | fuzz | coverage) stages+=("$arg") ;;
        *) echo "test.sh: unknown stage or option '$arg'" >&2; usage >&2; exit 2 ;;
    esac
done
((${#stages[@]})) || stages=("${all_stages[@]}")

jobs=$(nproc)
step() { printf '\n=== %s\n' "$*"; }

# Configure, build and run the native tests of one preset.
native_preset() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j"$jobs"
    ctest --preset "$1" -j"$jobs"
}

stage_native() {
    step "native build and tests"
    native_preset native
}

stage_sanitize() {
    step "address and undefined-behaviour sanitizers"
    native_preset sanitize
}

stage_tsan() {
    step "thread sanitizer"
    native_preset tsan
}

stage_win32() {
    step "Windows build, tests under Wine"
    # The interoperability test pairs zok-cli.exe with the native zok: build that too.
    cmake --preset native >/dev/null
    cmake --build --preset native -j"$jobs" --target zok
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 -j"$jobs"
    scripts/wine-setup.sh
    ZOK_INTEROP_REQUIRED=1 scripts/wine-session.sh ctest --preset win32
}

stage_package() {
    step "release packages, built twice in two folders"
    scripts/package-check.sh
}

stage_fuzz() {
    step "fuzzing, ${ZOK_FUZZ_SECONDS:-60} seconds a target"
    scripts/fuzz.sh
}

stage_coverage() {
    step "coverage of core/, fileops/, ui/ and cli/ by the native tests"
    cmake --preset coverage >/dev/null
    cmake --build --preset coverage -j"$jobs"
    # Counts add up across runs: start from none.
    find build/coverage -name '*.gcda' -delete
    ctest --preset coverage -j"$jobs"
    local counts=build/coverage/coverage.json
    # The counts of this build only: the search goes nowhere else (the Wine prefix's drive Z:
    # leads to the whole file system).
    gcovr --root . build/coverage \
        --filter 'core/' --filter 'fileops/' --filter 'ui/' --filter 'cli/' \
        --exclude-directories '.*/CompilerId.*' \
        --exclude-unreachable-branches --exclude-throw-branches --json "$counts"
    step "lines reached, by file"
    gcovr --add-tracefile "$counts" --sort-percentage --txt
    step "branches taken, by file"
    gcovr --add-tracefile "$counts" --sort-percentage --branches --txt --print-summary
    echo "(an annotated page per file: gcovr --add-tracefile $counts --html-details build/coverage/html/index.html)"
}

started=$SECONDS
if ((install_deps)); then
    step "dependencies"
    scripts/install-deps.sh
fi
for stage in "${stages[@]}"; do
    begin=$SECONDS
    "stage_$stage"
    printf '=== %s: %d s\n' "$stage" $((SECONDS - begin))
done
step "all tests passed: ${stages[*]} in $((SECONDS - started)) s"

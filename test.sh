#!/usr/bin/env bash
# Builds everything and runs every test: native, sanitizers, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
scripts/install-deps.sh
jobs=$(nproc)

step() { printf '\n=== %s\n' "$*"; }

step "native build and tests"
cmake --preset native >/dev/null
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure -j"$jobs"

step "address and undefined-behaviour sanitizers"
cmake --preset sanitize >/dev/null
cmake --build build/sanitize -j"$jobs"
ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

step "thread sanitizer"
cmake --preset tsan >/dev/null
cmake --build build/tsan -j"$jobs"
ctest --test-dir build/tsan --output-on-failure -j"$jobs"

step "Windows build, tests under Wine"
cmake --preset win32 >/dev/null
cmake --build build/win32 -j"$jobs"
scripts/wine-setup.sh
scripts/with-display.sh ctest --test-dir build/win32 --output-on-failure -j1

step "fuzzing, 60 seconds a target"
scripts/fuzz.sh

step "all tests passed"

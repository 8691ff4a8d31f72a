#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (address and undefined-behaviour sanitizers)
# and runs each for a while on its committed seed corpus (decryption also on the published
# containers of tests/vectors); prints each target's executions.
# New inputs go to the build folder, never to the committed corpus. A crash stops the script
# with the input's path; turn it into a unit test.
#   ZOK_FUZZ_BUILD    build folder (default build/fuzz)
#   ZOK_FUZZ_SECONDS  seconds per target (default 60)
#   ZOK_FUZZ_CXX      the clang++ to use (default clang++-14, else clang++)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${ZOK_FUZZ_BUILD:-build/fuzz}
seconds=${ZOK_FUZZ_SECONDS:-60}
cxx=${ZOK_FUZZ_CXX:-$(command -v clang++-14 || command -v clang++)}

# The decryption target's file lives in a scratch folder of this script's, in memory where there
# is /dev/shm; it is removed however the run ends, a crash, a time-out or Ctrl-C included.
scratch=$(mktemp -d /dev/shm/zok-fuzz-XXXXXX 2>/dev/null || mktemp -d -t zok-fuzz-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
export ZOK_FUZZ_SCRATCH=$scratch

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

# The published containers of tests/vectors join the decryption's seeds, one file each.
vectors="$build/vectors/decrypt_run"
rm -rf "$vectors" && mkdir -p "$vectors"
VECTORS="$vectors" perl -ne 'push @f, $1 if /^([0-9a-f]*):$/;
    END { for ($i = 3; $i < @f; $i += 4) {
        open(my $o, ">", "$ENV{VECTORS}/container-" . ($i - 3) / 4) or die; binmode $o;
        print $o pack("H*", $f[$i]); } }' tests/vectors/containers.txt

for target in decrypt_run command_line_path output_name; do
    work="$build/corpus/$target"
    crashes="$build/crashes/$target"
    log="$build/$target.log"
    seeds=("fuzz/corpus/$target")
    [ "$target" = decrypt_run ] && seeds+=("$vectors")
    mkdir -p "$work" "$crashes"
    if ! "$build/fuzz_$target" -max_total_time="$seconds" -max_len=8192 -timeout=30 \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$work" "${seeds[@]}" \
        >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz: $target failed; the input is in $crashes" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    corpus=$(find "$work" -type f | wc -l)
    printf 'fuzz: %-18s %10s executions in %s s, %s inputs kept\n' "$target" "$runs" "$seconds" \
        "$corpus"
done

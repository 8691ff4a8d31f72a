#!/usr/bin/env bash
# Speed of the command line on files held in memory (tmpfs, or the page cache of /tmp): zok
# encrypt and decrypt in place against cp and openssl aes-128-ctr of the same file, interleaved
# round by round so that all four see the same machine. Reports medians and ratios to cp.
#
# Each timed command starts after a pause (SETTLE): on a virtual machine that hands freed memory
# back to its host (free page reporting), the first touch of fresh memory costs many times more
# when the host must supply it again, and whichever command happens to follow a large free gets
# recycled memory cheaply. The pause puts every command on the same, host-reclaimed, footing;
# SETTLE=0 runs them back to back.
#
# Usage: bench/cli_speed.sh [path/to/zok]
#   BENCH_DIR  folder for the files (default /dev/shm, else /tmp)
#   SIZES_MIB  file sizes in MiB (default "256 1024")
#   RUNS       rounds per size (default 5)
#   SETTLE     seconds of pause before each timed command (default 2)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
zok=$(realpath "${1:-$here/../build/native/cli/zok}")
sizes=${SIZES_MIB:-"256 1024"}
runs=${RUNS:-5}
settle=${SETTLE:-2}
[[ -x $zok ]] || { echo "no zok at $zok (build it first)" >&2; exit 1; }
command -v openssl >/dev/null || { echo "openssl is needed" >&2; exit 1; }

largest=0
for s in $sizes; do (( s > largest )) && largest=$s; done
# Source, reference, cp's copy and openssl's output live in the folder; zok holds one more copy
# in memory.
need_kib=$(( (5 * largest + 512) * 1024 ))
avail_kib() { df -Pk "$1" | awk 'NR == 2 {print $4}'; }
memory_kib=$(awk '/MemAvailable/ {print $2}' /proc/meminfo)
dir=${BENCH_DIR:-}
if [[ -z $dir ]]; then
    dir=/tmp
    if [[ -d /dev/shm ]] && (( $(avail_kib /dev/shm) > need_kib )); then dir=/dev/shm; fi
fi
(( $(avail_kib "$dir") > need_kib )) || { echo "not enough room in $dir" >&2; exit 1; }
(( memory_kib > need_kib )) || { echo "not enough free memory for ${largest} MiB files" >&2; exit 1; }

work=$(mktemp -d "$dir/zok-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
src=$work/data.bin ref=$work/reference.bin copy=$work/copy.bin cipher=$work/openssl.bin
key=000102030405060708090a0b0c0d0e0f iv=00000000000000000000000000000000

# Runs a command with its output discarded; prints its wall time in microseconds.
micros() {
    sleep "$settle"
    local start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    local end=$EPOCHREALTIME
    echo $(( (${end/./} - ${start/./}) ))
}
zok_run() { printf 'bench\n' | "$zok" "$1" --in-place --password-stdin "$src"; }
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
seconds() { awk -v us="$1" 'BEGIN {printf "%.3f s", us / 1e6}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
rate() { awk -v mib="$1" -v us="$2" 'BEGIN {printf "%.2f GB/s", mib * 1048576 / us / 1000}'; }

echo "zok: $zok"
echo "folder: $dir ($(df -PT "$dir" | awk 'NR == 2 {print $2}')), $runs rounds, medians," \
     "${settle} s pause before each command"
echo "machine: $(nproc) CPUs, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)," \
     "transparent huge pages: $(sed 's/.*\[\(.*\)\].*/\1/' /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)," \
     "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| size | cp | zok encrypt --in-place | zok decrypt --in-place | openssl enc -aes-128-ctr |"
echo "|---|---|---|---|---|"
verdict=0
for mib in $sizes; do
    head -c $(( mib * 1048576 )) /dev/urandom > "$src"
    cp "$src" "$ref"
    t_cp=() t_enc=() t_dec=() t_ssl=()
    for (( round = 0; round < runs; ++round )); do
        t_cp+=("$(micros cp "$src" "$copy")")
        t_enc+=("$(micros zok_run encrypt)")
        t_dec+=("$(micros zok_run decrypt)")
        t_ssl+=("$(micros openssl enc -aes-128-ctr -K $key -iv $iv -in "$src" -out "$cipher")")
        # Every round must give the original back.
        cmp -s "$src" "$ref" || { echo "zok did not restore the file" >&2; exit 1; }
        rm -f "$copy" "$cipher"
    done
    cp_us=$(median "${t_cp[@]}") enc_us=$(median "${t_enc[@]}")
    dec_us=$(median "${t_dec[@]}") ssl_us=$(median "${t_ssl[@]}")
    echo "| $mib MiB | $(seconds "$cp_us") ($(rate "$mib" "$cp_us")) |" \
         "$(seconds "$enc_us") = $(ratio "$enc_us" "$cp_us") × cp |" \
         "$(seconds "$dec_us") = $(ratio "$dec_us" "$cp_us") × cp |" \
         "$(seconds "$ssl_us") = $(ratio "$ssl_us" "$cp_us") × cp |"
    summary+=("$mib MiB: encrypt $(ratio "$enc_us" "$cp_us") × cp, decrypt $(ratio "$dec_us" "$cp_us") × cp (target ≤ 1.5); openssl $(ratio "$ssl_us" "$enc_us") × encrypt, $(ratio "$ssl_us" "$dec_us") × decrypt (target ≥ 3)")
    ok=$(awk -v e="$enc_us" -v d="$dec_us" -v c="$cp_us" -v s="$ssl_us" \
        'BEGIN {print (e <= 1.5 * c && d <= 1.5 * c && s >= 3 * e && s >= 3 * d) ? 1 : 0}')
    (( ok )) || verdict=1
    rm -f "$src" "$ref" "$copy" "$cipher"
done
echo
printf '%s\n' "${summary[@]}"
(( verdict == 0 )) && echo "targets: met" || echo "targets: NOT met"

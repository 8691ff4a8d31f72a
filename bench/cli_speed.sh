#!/usr/bin/env bash
# Speed of the command line on files held in memory (tmpfs, or the page cache of /tmp), all
# commands on the same file and interleaved round by round so that all see the same machine:
# - cp of the file, zok encrypt and decrypt in place, openssl aes-128-ctr;
# - the read offset's effect on this machine (bench/zok_read_offset): an encryption with the
#   file read 12 bytes into the buffer, as encryption did before it read to an aligned spot,
#   against the same with 64 bytes, as a run does now; and the bare read at 12, 16 and 64;
# - for the smallest size, zok-cli.exe under Wine against the native zok, when one is given
#   (start a wineserver -p in its prefix first: program starts then cost tens of milliseconds).
# - on a disk, cp followed by sync of the copy: a run flushes its file before it reports done, so
#   there the target compares with that, on tmpfs (where a flush costs nothing) with cp alone.
# Reports the best and the median of the rounds, the ratio of the best times to cp's best, the
# peak resident memory of zok, and the load average before and after.
#
# Each timed command starts after a pause (SETTLE): on a virtual machine that hands freed memory
# back to its host (free page reporting), the first touch of fresh memory costs many times more
# when the host must supply it again, and whichever command happens to follow a large free gets
# recycled memory cheaply. The pause puts every command on the same, host-reclaimed, footing;
# SETTLE=0 runs them back to back.
#
# Usage: bench/cli_speed.sh [path/to/zok] [path/to/zok-cli.exe]
#   BENCH_DIR  folder for the files (default /dev/shm, else /tmp)
#   SIZES_MIB  file sizes in MiB (default "256 1024")
#   RUNS       rounds per size (default 5)
#   SETTLE     seconds of pause before each timed command (default 2)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
zok=$(realpath "${1:-$here/../build/native/cli/zok}")
zok_exe=${2:-}
[[ -n $zok_exe ]] && zok_exe=$(realpath "$zok_exe")
offsets=$(realpath -m "$(dirname "$zok")/../bench/zok_read_offset")
wine_run=$here/../scripts/wine-run.sh
sizes=${SIZES_MIB:-"256 1024"}
runs=${RUNS:-5}
settle=${SETTLE:-2}
[[ -x $zok ]] || { echo "no zok at $zok (build it first)" >&2; exit 1; }
[[ -x $offsets ]] || { echo "no zok_read_offset at $offsets (build the benchmarks)" >&2; exit 1; }
[[ -z $zok_exe || -f $zok_exe ]] || { echo "no zok-cli.exe at $zok_exe" >&2; exit 1; }
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
# Under Wine by a name relative to the folder, which Wine maps to its Z: drive.
wine_zok_run() {
    (cd "$work" && printf 'bench\r\n' |
        "$wine_run" "$zok_exe" "$1" --in-place --password-stdin "$(basename "$src")")
}
best() { printf '%s\n' "$@" | sort -n | head -1; }
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
ms() { awk -v us="$1" 'BEGIN {printf "%.1f ms", us / 1e3}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }
cp_sync() { cp "$src" "$copy" && sync "$copy"; }
# Peak resident memory of one zok run in MiB.
peak_mib() {
    printf 'bench\n' | /usr/bin/time -f %M -o "$work/rss" "$zok" "$1" --in-place \
        --password-stdin "$src" >/dev/null 2>&1
    awk '{printf "%.1f", $1 / 1024}' "$work/rss"
}

echo "zok: $zok"
[[ -n $zok_exe ]] && echo "zok-cli.exe: $zok_exe (Wine $(wine --version 2>/dev/null || echo '?'))"
fs_type=$(df -PT "$dir" | awk 'NR == 2 {print $2}')
baseline=0 baseline_name=cp
[[ $fs_type != tmpfs ]] && baseline=11 baseline_name="cp + sync"
echo "folder: $dir ($fs_type), $runs rounds," \
     "${settle} s pause before each command"
echo "machine: $(nproc) CPUs ($(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo))," \
     "$(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)," \
     "transparent huge pages: $(sed 's/.*\[\(.*\)\].*/\1/' /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)," \
     "load average at start: $(load)"
smallest=${sizes%% *}
verdict=0
for mib in $sizes; do
    head -c $(( mib * 1048576 )) /dev/urandom > "$src"
    cp "$src" "$ref"
    names=(cp "zok encrypt --in-place" "zok decrypt --in-place"
           "encrypt, file read 12 bytes in (before)" "encrypt, file read 64 bytes in (now)"
           "read alone, 12 bytes in" "read alone, 16 bytes in" "read alone, 64 bytes in"
           "openssl enc -aes-128-ctr")
    with_wine=0
    names+=("zok-cli.exe encrypt (Wine)" "zok-cli.exe decrypt (Wine)" "cp, then sync of the copy")
    [[ -n $zok_exe && $mib == "$smallest" ]] && with_wine=1
    declare -A times=()
    add() { times[$1]+="$2 "; }
    for (( round = 0; round < runs; ++round )); do
        # Back to back, a run that follows the free of a whole-file buffer reuses that memory
        # cheaply; one that follows cp (whose copy is many small page-cache pages) spends
        # seconds of kernel time per GiB on fresh memory. So every whole-file run here follows
        # such a free, the first one this untimed read.
        "$offsets" read "$src" 64
        add 1 "$(micros zok_run encrypt)"
        add 2 "$(micros zok_run decrypt)"
        add 3 "$(micros "$offsets" encrypt "$src" 12)"
        add 2 "$(micros zok_run decrypt)"
        add 4 "$(micros "$offsets" encrypt "$src" 64)"
        add 2 "$(micros zok_run decrypt)"
        add 5 "$(micros "$offsets" read "$src" 12)"
        add 6 "$(micros "$offsets" read "$src" 16)"
        add 7 "$(micros "$offsets" read "$src" 64)"
        add 0 "$(micros cp "$src" "$copy")"
        rm -f "$copy"
        add 11 "$(micros cp_sync)"
        rm -f "$copy"
        add 8 "$(micros openssl enc -aes-128-ctr -K $key -iv $iv -in "$src" -out "$cipher")"
        rm -f "$cipher"
        if (( with_wine )); then
            add 9 "$(micros wine_zok_run encrypt)"
            add 10 "$(micros wine_zok_run decrypt)"
        fi
        # Every round must give the original back.
        cmp -s "$src" "$ref" || { echo "the file did not come back" >&2; exit 1; }
    done
    # shellcheck disable=SC2086
    cp_best=$(best ${times[0]})
    echo
    echo "| $mib MiB | best | median | best ÷ cp's best |"
    echo "|---|---|---|---|"
    for (( i = 0; i < ${#names[@]}; ++i )); do
        [[ -n ${times[$i]:-} ]] || continue
        # shellcheck disable=SC2086
        b=$(best ${times[$i]}) m=$(median ${times[$i]})
        echo "| ${names[$i]} | $(ms "$b") | $(ms "$m") | $(ratio "$b" "$cp_best") |"
    done
    # shellcheck disable=SC2086
    enc=$(best ${times[1]}) dec=$(best ${times[2]}) base=$(best ${times[$baseline]})
    enc_peak=$(peak_mib encrypt) dec_peak=$(peak_mib decrypt)
    echo "peak resident memory: encrypt $enc_peak MiB, decrypt $dec_peak MiB" \
         "(target ≤ $(( mib + 16 )) MiB)"
    if (( with_wine )); then
        # shellcheck disable=SC2086
        echo "zok-cli.exe under Wine: encrypt $(ratio "$(best ${times[9]})" "$enc") ×" \
             "native, decrypt $(ratio "$(best ${times[10]})" "$dec") × native"
    fi
    ok=$(awk -v e="$enc" -v d="$dec" -v c="$base" -v pe="$enc_peak" -v pd="$dec_peak" \
        -v limit=$(( mib + 16 )) \
        'BEGIN {print (e <= 1.3 * c && d <= 1.3 * c && pe <= limit && pd <= limit) ? 1 : 0}')
    summary+=("$mib MiB: encrypt $(ratio "$enc" "$base") × $baseline_name, decrypt $(ratio "$dec" "$base") × $baseline_name (target ≤ 1.3); peak $enc_peak / $dec_peak MiB (target ≤ $(( mib + 16 )))")
    (( ok )) || verdict=1
    unset times
    rm -f "$src" "$ref" "$copy" "$cipher"
done
echo
printf '%s\n' "${summary[@]}"
echo "load average at the end: $(load)"
(( verdict == 0 )) && echo "targets: met" || echo "targets: NOT met"

#!/usr/bin/env bash
# A walk of many small files (-r) against cp -r of the same tree, rounds interleaved so that both
# see the same machine:
# - on tmpfs (or the page cache of /tmp): cp -r of the tree, against zok encrypt -r --in-place
#   and decrypt -r --in-place on a fresh copy of it (the copy made outside the timing);
# - on a disk (DISK_DIR, default /var/tmp): cp -r then sync, against the walk, whose every save
#   flushes its file before the next one starts: the difference is what those flushes cost;
# - the peak resident memory of each walk, and of a walk of one file of the same size, so that
#   what the number of files adds shows apart from what the largest file takes.
# Reports the best and the median of the rounds and the ratio of the best times to cp's best,
# with the load average before and after (other work on the machine spoils every figure).
#
# Usage: bench/walk_speed.sh [path/to/zok]
#   FILES      number of files (default 10000), in folders of 100
#   FILE_KIB   size of each file in KiB (default 1)
#   RUNS       rounds (default 3)
#   BENCH_DIR  the in-memory folder (default /dev/shm, else /tmp)
#   DISK_DIR   the folder on a disk ("" to leave the disk out)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
zok=$(realpath "${1:-$here/../build/native/cli/zok}")
files=${FILES:-10000}
kib=${FILE_KIB:-1}
runs=${RUNS:-3}
[[ -x $zok ]] || { echo "no zok at $zok (build it first)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "GNU time (/usr/bin/time) is needed" >&2; exit 1; }
memory_dir=${BENCH_DIR:-/dev/shm}
[[ -d $memory_dir ]] || memory_dir=/tmp
disk_dir=${DISK_DIR-/var/tmp}

now() { date +%s.%N; }
# Runs "$@" and prints its wall time in seconds.
timed() {
    local start end
    start=$(now)
    "$@" >/dev/null
    end=$(now)
    echo "$end - $start" | bc -l
}
best() { printf '%s\n' "$@" | sort -g | head -1; }
median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }
# The peak resident memory of "$@" in KiB.
peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }

make_tree() {
    local root=$1 i
    mkdir -p "$root/d0"
    for ((i = 0; i < files && i < 100; i++)); do
        head -c $((kib * 1024)) /dev/urandom >"$root/d0/f$i.bin"
    done
    for ((i = 100; i < files; i += 100)); do cp -r "$root/d0" "$root/d$((i / 100))"; done
}

# One place: $1 the folder, $2 "sync" to sync after cp.
bench_in() {
    local dir=$1 flush=$2 work round
    work=$(mktemp -d "$dir/zok-walk.XXXXXX")
    trap 'rm -rf "$work"' RETURN
    printf 'password\n' >"$work/pw"
    make_tree "$work/tree"
    local cp_times=() enc_times=() dec_times=()
    for ((round = 0; round < runs; round++)); do
        rm -rf "$work/copy" "$work/walked"
        sync
        if [[ $flush == sync ]]; then
            cp_times+=("$(timed bash -c "cp -r '$work/tree' '$work/copy' && sync")")
        else
            cp_times+=("$(timed cp -r "$work/tree" "$work/copy")")
        fi
        cp -r "$work/tree" "$work/walked"
        sync
        enc_times+=("$(timed "$zok" encrypt -r -q --in-place --password-file "$work/pw" "$work/walked")")
        dec_times+=("$(timed "$zok" decrypt -r -q --in-place --password-file "$work/pw" "$work/walked")")
    done
    diff -r "$work/tree" "$work/walked" >/dev/null || { echo "the round trip changed the tree" >&2; exit 1; }
    local cp_best enc_best dec_best
    cp_best=$(best "${cp_times[@]}") enc_best=$(best "${enc_times[@]}") dec_best=$(best "${dec_times[@]}")
    local label="cp -r"
    [[ $flush == sync ]] && label="cp -r; sync"
    printf '%-28s best %7.3f s  median %7.3f s\n' "$label" "$cp_best" "$(median "${cp_times[@]}")"
    printf '%-28s best %7.3f s  median %7.3f s  %5.2f x\n' "encrypt -r --in-place" "$enc_best" \
        "$(median "${enc_times[@]}")" "$(echo "$enc_best / $cp_best" | bc -l)"
    printf '%-28s best %7.3f s  median %7.3f s  %5.2f x\n' "decrypt -r --in-place" "$dec_best" \
        "$(median "${dec_times[@]}")" "$(echo "$dec_best / $cp_best" | bc -l)"
    if [[ $flush != sync ]]; then
        local many one
        many=$(peak_kib "$zok" encrypt -r -q --in-place --password-file "$work/pw" "$work/walked")
        mkdir "$work/one"
        cp "$work/tree/d0/f0.bin" "$work/one/"
        one=$(peak_kib "$zok" encrypt -r -q --in-place --password-file "$work/pw" "$work/one")
        echo "peak resident memory: walk of $files files $many KiB, walk of one file $one KiB"
    fi
}

echo "zok: $zok; $files files of $kib KiB; $runs rounds; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "--- in memory: $memory_dir ($(stat -f -c %T "$memory_dir"))"
bench_in "$memory_dir" ""
if [[ -n $disk_dir ]]; then
    echo "--- on a disk: $disk_dir ($(stat -f -c %T "$disk_dir")), cp followed by sync"
    bench_in "$disk_dir" sync
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

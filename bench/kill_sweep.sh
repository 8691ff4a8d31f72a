#!/usr/bin/env bash
# Ends zok with a signal at a spread of moments during runs on a large file, and sorts what each
# run left behind:
#   intact    the source as it was, and no file at the output's name
#   complete  the whole result, decrypting to the original
#   refused   a damaged file, which zok decrypt refuses without changing it
#   accepted  a damaged file that zok decrypt takes for a container, or an incomplete output
#             under the output's name: the loss a user would not notice
# and, for the refused files of in-place runs, what zok recover makes of them:
#   restored  every byte, exit status 0
#   partly    every byte but those recover names as unknown (exit status 8)
#   zeros     nothing written, but the file is the original followed by zero bytes: an
#             encryption stopped after reserving its room and before its body's first page
#   unrestored nothing written: an encryption whose cut the data does not locate (random data
#             never shows it), or pages of both kinds (status 4)
#   wrong     a restored file that differs from the original: must stay 0
# Moments are spread evenly over the length of an uninterrupted run, which is timed first.
#
# Usage: bench/kill_sweep.sh [path/to/zok]
#   SWEEP_DIR   folder for the files (default /var/tmp: a disk, not memory)
#   SIZE_MIB    file size in MiB (default 256)
#   MOMENTS     moments per signal and kind of run (default 20)
#   SIGNALS     default "INT TERM HUP KILL"
#   SIZE_BYTES  file size in bytes, instead of SIZE_MIB (an odd size puts the body's end off a page)
#   DATA        random (default: incompressible, as the worst case), text (base64 lines), zip (a
#               ZIP-like file: random members between headers, ending in two zero bytes) or
#               zero-tailed (random, its last quarter zeros)
#   STRACE      set: instead of timed signals, the i-th moment kills zok with SIGKILL as it enters
#               its i-th pwrite64 (strace's fault injection), one moment per write of the save
#   KINDS       default "encrypt-in-place decrypt-in-place encrypt-separate decrypt-separate"
#   AT          run (default): moments spread over the whole run; save: spread over the save
#               alone, from the moment zok reports it, where a run can leave a wreck
set -euo pipefail
set -m  # job control: background runs get SIGINT like any other signal, not ignored
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
zok=$(realpath "${1:-$here/../build/native/cli/zok}")
size=${SIZE_MIB:-256}
moments=${MOMENTS:-20}
signals=${SIGNALS:-"INT TERM HUP KILL"}
[[ -x $zok ]] || { echo "no zok at $zok (build it first)" >&2; exit 1; }
work=$(mktemp -d "${SWEEP_DIR:-/var/tmp}/zok-kill-sweep.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

export LC_ALL=C.UTF-8
pw() { printf 'sweep password\n'; }
bytes=${SIZE_BYTES:-$((size << 20))}
case ${DATA:-random} in
    text)  # base64 lines of random bytes, cut to size (the cut ends base64 early: no pipefail)
        (set +o pipefail; head -c $((bytes * 3 / 4 + 76)) /dev/urandom | base64 -w 76 |
            head -c "$bytes" > original) ;;
    zip)  # members of random bytes behind local headers, a central directory, the end record
        { for ((m = 0; m < 8; m++)); do
              printf 'PK\003\004%026d' 0; head -c $((bytes / 9)) /dev/urandom
          done
          printf 'PK\001\002%042d' 0
        } | head -c $((bytes - 22)) > original
        printf 'PK\005\006%016d\0\0' 0 >> original ;;
    zero-tailed)
        head -c $((bytes - bytes / 4)) /dev/urandom > original
        head -c $((bytes / 4)) /dev/zero >> original ;;
    *) head -c "$bytes" /dev/urandom > original ;;
esac
cp original plain && pw | "$zok" encrypt --in-place --password-stdin plain 2>/dev/null
mv plain container

# The source of a kind of run, and the file that holds its result.
source_of() { [[ $1 == encrypt* ]] && echo original || echo container; }
result_of() { [[ $1 == *separate ]] && echo f_ZOK.bin || echo f.bin; }

# Whether zok decrypt refuses `file` and leaves it as it was.
refuses() {
    local before after
    before=$(sha256sum < "$1")
    if pw | "$zok" decrypt --in-place --password-stdin "$1" 2>/dev/null; then return 1; fi
    after=$(sha256sum < "$1")
    [[ $before == "$after" ]]
}

# Sorts what the run of `kind` left in the folder.
verdict() {
    local kind=$1 source result
    source=$(source_of "$kind")
    result=$(result_of "$kind")
    if [[ $kind == *separate ]]; then
        cmp -s f.bin "$source" || { echo lost; return; }
        [[ -e $result ]] || { echo intact; return; }
    elif cmp -s f.bin "$source"; then
        echo intact; return
    fi
    if [[ $kind == encrypt* ]]; then
        if refuses "$result"; then echo refused; return; fi
        cmp -s "$result" original && echo complete || echo accepted
    else
        cmp -s "$result" original && { echo complete; return; }
        refuses "$result" && echo refused || echo accepted
    fi
}

# What zok recover makes of the wreck f.bin, compared with the original.
recovered() {
    local err status=0 range first last
    rm -f r.bin expected
    err=$(pw | "$zok" recover -q --password-stdin -o r.bin f.bin 2>&1) || status=$?
    case $status in
        0) cmp -s r.bin original && echo restored || echo wrong ;;
        8)  # "..., at offsets A-B": those bytes are zeros, the others the original's; a longer
            # length than the original's is its zeros
            range=$(grep -o 'offsets [0-9-]*' <<<"$err" | cut -d' ' -f2 || true)
            cp original expected
            if [[ -n $range ]]; then
                first=${range%-*}; last=${range#*-}
                head -c $((last - first + 1)) /dev/zero |
                    dd of=expected bs=1 seek="$first" conv=notrunc status=none
                echo "${last}-${first}" >> named
            fi
            extra=$(( $(stat -c %s r.bin) - $(stat -c %s expected) ))
            ((extra > 0)) && head -c "$extra" /dev/zero >> expected
            cmp -s r.bin expected && echo partly || echo wrong ;;
        *) cmp -s -n "$(stat -c %s original)" f.bin original && echo zeros || echo unrestored ;;
    esac
}

run() {  # kind [write]: starts zok on f.bin in the background, its pid in $!; with a write
    # number, strace kills it as it enters that pwrite64
    local args=(--password-stdin)
    [[ $1 == *in-place ]] && args+=(--in-place)
    if [[ -n ${2:-} ]]; then
        pw | strace -f -o /dev/null -e trace=pwrite64 \
            -e inject=pwrite64:signal=SIGKILL:when="$2" "$zok" "${1%%-*}" "${args[@]}" f.bin 2>notes &
    else
        pw | "$zok" "${1%%-*}" "${args[@]}" f.bin 2>notes &
    fi
}

# Waits until the run reports its save (or has ended).
await_save() {
    until grep -q Saving notes 2>/dev/null || ! kill -0 "$1" 2>/dev/null; do sleep 0.002; done
}

declare -A totals=()
printf '%-18s %-5s %7s %7s %7s %7s %7s %9s  %s\n' run signal intact complete refused accepted lost \
    unfinished "restored by recover (whole/partly/zeros/unrestored/wrong)"
for kind in ${KINDS:-encrypt-in-place decrypt-in-place encrypt-separate decrypt-separate}; do
    cp "$(source_of "$kind")" f.bin
    start=$(date +%s%N); run "$kind"; pid=$!
    if [[ ${AT:-run} == save ]]; then await_save "$pid"; start=$(date +%s%N); fi
    wait "$pid"; took=$(( $(date +%s%N) - start ))
    for signal in $signals; do
        declare -A tally=()
        declare -A recovery=()
        unfinished=0
        for ((i = 1; i <= moments; i++)); do
            rm -f f.bin f_ZOK.bin f_ZOK.bin.zok-unfinished-*
            cp "$(source_of "$kind")" f.bin
            sync f.bin
            if [[ -n ${STRACE:-} ]]; then
                run "$kind" "$i"
                pid=$!
            else
                run "$kind"
                pid=$!
                [[ ${AT:-run} == save ]] && await_save "$pid"
                sleep "$(awk -v t="$took" -v i="$i" -v n="$moments" 'BEGIN{printf "%.4f", t*i/(n+1)/1e9}')"
                kill -s "$signal" "$pid" 2>/dev/null || true
            fi
            wait "$pid" 2>/dev/null || true
            compgen -G 'f_ZOK.bin.zok-unfinished-*' >/dev/null && unfinished=$((unfinished + 1))
            v=$(verdict "$kind")
            tally[$v]=$(( ${tally[$v]:-0} + 1 ))
            if [[ $v == refused && $kind == *in-place ]]; then
                r=$(recovered)
                recovery[$r]=$(( ${recovery[$r]:-0} + 1 ))
                totals[$r]=$(( ${totals[$r]:-0} + 1 ))
            fi
        done
        restored=-
        [[ $kind == *in-place ]] && restored="${recovery[restored]:-0}/${recovery[partly]:-0}/${recovery[zeros]:-0}/${recovery[unrestored]:-0}/${recovery[wrong]:-0}"
        printf '%-18s %-5s %7d %7d %7d %7d %7d %9d  %s\n' "$kind" "$signal" "${tally[intact]:-0}" \
            "${tally[complete]:-0}" "${tally[refused]:-0}" "${tally[accepted]:-0}" \
            "${tally[lost]:-0}" "$unfinished" "$restored"
        unset tally recovery
    done
done
printf '\nNote: of %d in-place wrecks, recover restored %d whole and %d with only the bytes it\n' \
    $(( ${totals[restored]:-0} + ${totals[partly]:-0} + ${totals[zeros]:-0} + ${totals[unrestored]:-0} + ${totals[wrong]:-0} )) \
    "${totals[restored]:-0}" "${totals[partly]:-0}"
printf 'named unknown; %d were the original with zero bytes appended (no wreck to restore); %d were\n' \
    "${totals[zeros]:-0}" "${totals[unrestored]:-0}"
printf 'left unrestored (cut not located, or pages of both kinds); %d came back wrong.\n' \
    "${totals[wrong]:-0}"
[[ -s named ]] && printf 'Largest range named: %d bytes.\n' \
    "$(awk -F- '{ if ($1 - $2 + 1 > m) m = $1 - $2 + 1 } END { print m }' named)"

#!/usr/bin/env bash
# Ctrl-C typed at zok-cli.exe's console under Wine (a pseudo-terminal, so the keystroke takes the
# road a user's does): at the password prompt it ends the program with 130, changing nothing;
# once a save in place has begun, the save is finished first and the file is a whole container.
# Either way the status is never 0 while the program still ran.
# Usage: interrupt.sh ZOK_CLI_EXE WINE_RUN
set -euo pipefail
windows=$(realpath -m "$1") wine_run=$(realpath -m "$2")
work=$(mktemp -d /tmp/zok-interrupt-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C.UTF-8
fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts zok-cli.exe ARGS... on a terminal of its own; its screen is read with `wait_for`.
start() {
    coproc ZOK { script -qfec "$(printf '%q ' "$wine_run" "$windows" "$@"); echo \"EXIT=\$?\"" \
                     /dev/null 2>&1; }
    screen=""
}
# Reads the screen until TEXT appears (or the program's end).
wait_for() {
    local c
    while [[ $screen != *"$1"* ]]; do
        IFS= read -r -n 1 c <&"${ZOK[0]}" || return 1
        screen+=${c:-$'\n'}
    done
}
# Reads the screen to the program's end; its exit status goes into `status`.
finish() {
    wait_for "EXIT=" || true
    wait_for $'\n' || true
    status=${screen##*EXIT=}
    status=${status%%[^0-9]*}
}

head -c $((64 << 20)) /dev/urandom > original
cp original file

# At the password prompt.
start encrypt --in-place file
wait_for "Password:" || fail "no password prompt: $screen"
printf '\003' >&"${ZOK[1]}"
finish
[[ $status == 130 ]] || fail "Ctrl-C at the prompt gave status $status"
cmp -s file original || fail "Ctrl-C at the prompt changed the file"

# Once the save has begun (its first step makes the file longer), as a terminal delivers Ctrl-C
# to a program that reads no key meanwhile: SIGINT, which Wine turns into the Ctrl-C event.
printf 'pw\r\n' >password
"$wine_run" "$windows" encrypt --in-place --password-stdin file <password >/dev/null 2>screen &
zok=$!  # Wine's loader replaces the script's process: this is the program's
size=$(stat -c %s original)
until (( $(stat -c %s file) > size )); do sleep 0.001; done
kill -INT "$zok"
status=0
wait "$zok" || status=$?
screen=$(cat screen)
if [[ $screen == *Done.* ]]; then
    [[ $status == 0 ]] || fail "finished, but status $status"
    echo "the run had ended before the Ctrl-C arrived"
else
    [[ $status == 130 ]] || fail "Ctrl-C during the save gave status $status"
fi
printf 'pw\r\n' | "$wine_run" "$windows" decrypt --in-place --password-stdin file >/dev/null 2>&1 ||
    fail "the saved file is not a whole container"
cmp -s file original || fail "the saved file decrypts to other bytes"
echo "interrupts: ok (status $status)"

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

# Starts zok-cli.exe ARGS... on a terminal of its own. The shell that `script` starts is replaced
# by the program, so the keystroke's SIGINT reaches nothing else, and `script -e` hands on the
# program's status. Keys go in through a FIFO held open here; the screen collects in a file.
start() {
    rm -f keys screen
    mkfifo keys
    script -qfec "exec $(printf '%q ' "$wine_run" "$windows" "$@")" /dev/null <keys >screen 2>&1 &
    zok=$!
    exec 3>keys
}
# Every wait: tries CHECK... until it holds; fails naming WHAT once a minute has passed.
within() {
    local what=$1 end=$((SECONDS + 60))
    shift
    until "$@"; do
        ((SECONDS < end)) || fail "$what within a minute: $(cat screen)"
        sleep 0.002
    done
}
running() { kill -0 "$zok" 2>/dev/null; }
# TEXT on the screen; fails at once when the program has ended without showing it.
shown() { grep -qF -- "$1" screen || { running || grep -qF -- "$1" screen || fail "no '$1'"; false; }; }
# The program's end; its exit status goes into `status`.
finish() {
    within "the program has not ended" eval '! running'
    status=0
    wait "$zok" || status=$?
    exec 3>&-
}

head -c $((64 << 20)) /dev/urandom > original
cp original file

# At the password prompt.
start encrypt --in-place file
within "no password prompt" shown "Password:"
printf '\003' >&3
finish
[[ $status == 130 ]] || fail "Ctrl-C at the prompt gave status $status"
cmp -s file original || fail "Ctrl-C at the prompt changed the file"

# Once the save has begun (its first write, the body's topmost piece, makes the file longer), as
# a terminal delivers Ctrl-C to a program that reads no key meanwhile: SIGINT, which Wine turns
# into the Ctrl-C event.
printf 'pw\r\n' >password
"$wine_run" "$windows" encrypt --in-place --password-stdin file <password >/dev/null 2>screen &
zok=$!  # Wine's loader replaces the script's process: this is the program's
size=$(stat -c %s original)
grown() { (($(stat -c %s file) > size)) || { running || fail "ended before its save"; false; }; }
within "the save has not begun" grown
kill -INT "$zok"
finish
screen=$(cat screen)
if [[ $screen == *Done.* ]]; then
    # The save had ended when the Ctrl-C was handled (under qemu Wine hands it over late): the
    # program ended by itself (0), or by the Ctrl-C at once after the save (130).
    [[ $status == 0 || $status == 130 ]] || fail "finished, but status $status"
    echo "the save had ended before the Ctrl-C arrived"
else
    [[ $status == 130 ]] || fail "Ctrl-C during the save gave status $status"
fi
printf 'pw\r\n' | "$wine_run" "$windows" decrypt --password-stdin -o check file >/dev/null 2>screen ||
    fail "the saved file is not a whole container (status $?): $(cat screen)"
cmp -s check original || fail "the saved file decrypts to other bytes"
echo "interrupts: ok (status $status)"

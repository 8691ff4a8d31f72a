#!/usr/bin/env bash
# Containers made by the native zok open in zok-cli.exe under Wine, and the other way round:
# same bytes back, same output names, same verdict on a wrong password.
# Usage: interop.sh NATIVE_ZOK ZOK_CLI_EXE WINE_RUN
set -euo pipefail
native=$(realpath -m "$1") windows=$(realpath -m "$2") wine_run=$(realpath -m "$3")
if [[ ! -x $native ]]; then
    if [[ ${ZOK_INTEROP_REQUIRED:-} == 1 ]]; then
        echo "FAIL: no native zok at $native (build it first: cmake --build --preset native)" >&2
        exit 1
    fi
    echo "skipped: no native zok at $native (build it first)"
    exit 77
fi
# No dot in the folder: output names take the last dot of the whole path.
work=$(mktemp -d /tmp/zok-interop-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
password='pässwörd 密码'
head -c 100003 /dev/urandom > 'plain 文件.bin'
printf 'short' > note

# Native encrypts into separate outputs; Windows decrypts them.
printf '%s\n' "$password" | "$native" encrypt --password-stdin 'plain 文件.bin' note 2>/dev/null ||
    fail "native encrypt"
printf '%s\n' "$password" |
    "$wine_run" "$windows" decrypt --password-stdin 'plain 文件_ZOK.bin' note_Adv 2>/dev/null ||
    fail "zok-cli.exe decrypt of native containers"
cmp 'plain 文件.bin' 'plain 文件_ZOK_ZOK.bin' || fail "bytes differ after native -> Windows"
cmp note note_Adv_Adv || fail "short file differs after native -> Windows"

# Windows encrypts in place; a wrong password is refused natively; the right one opens it.
cp 'plain 文件.bin' copy.bin
printf '%s\r\n' "$password" |
    "$wine_run" "$windows" encrypt --in-place --password-stdin copy.bin 2>/dev/null ||
    fail "zok-cli.exe encrypt"
cmp -s copy.bin 'plain 文件.bin' && fail "zok-cli.exe left the file as it was"
[[ $(stat -c %s copy.bin) -eq $((12 + 100004)) ]] || fail "container size"
status=0
err=$(printf 'wrong\n' | LC_ALL=C.UTF-8 "$native" decrypt --in-place --password-stdin copy.bin 2>&1) ||
    status=$?
[[ $status -eq 3 && $err == *"wrong password, or not an encrypted file"* ]] || fail "native accepted a wrong password ($status)"
printf '%s\n' "$password" | "$native" decrypt --in-place --password-stdin copy.bin 2>/dev/null ||
    fail "native decrypt of a Windows container"
cmp copy.bin 'plain 文件.bin' || fail "bytes differ after Windows -> native"
echo "interoperability: ok"

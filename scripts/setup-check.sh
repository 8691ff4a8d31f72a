#!/usr/bin/env bash
# Checks the setup program under Wine (run inside scripts/wine-session.sh, with a prefix of its
# own that no setup has touched):
#   scripts/setup-check.sh SETUP_EXE WINDOW_TESTS_EXE [OLD_SETUP_EXE PROGRAM_FOLDER]
# 1. a silent install into the default folder puts every entry of the table below in place, and
#    leaves the desktop shortcut out;
# 2. the same again in Chinese leaves one uninstall entry and only the Chinese shortcut names;
# 3. a silent install in Chinese into a folder with spaces and Chinese characters moves the
#    installation there (one entry, nothing left in the first folder), and Explorer's entry
#    opens the window with a file (the window driver's ExplorerEntry case);
# 4. a silent uninstall removes every entry of the table and leaves no file, shortcut or
#    registry key naming ZOK, but keeps a file the user put into the folder, and the folder;
# 5. with OLD_SETUP_EXE (an earlier release's setup) and PROGRAM_FOLDER (the files this setup
#    installs, as the zip holds them): the earlier release installed in Chinese, then this one
#    over it in English, leaves this version's entries, files and shortcuts alone, and its
#    uninstaller then leaves no trace of either.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
# Shortcuts stay in the prefix: Wine's menu builder would copy them into the Unix home.
export WINEDLLOVERRIDES=winemenubuilder.exe=d
setup=$(realpath "$1")
window_tests=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
drive=$WINEPREFIX/drive_c

fail() { echo "setup-check: $*" >&2; exit 1; }
step() { printf -- '- %s\n' "$*"; }

# Every entry the setup writes. Fields, separated by "|": kind (file, or reg for a registry
# value), where (a path, or a key and a value name, @ for the key's default value), and the
# value a registry entry holds. $dir is the install folder; $verb, $guide, $console, $remover
# and $display_name depend on the setup's language, $other_guide, $other_console and
# $other_remover are the other language's names.
# "absent" rows must not exist after a silent install.
expected_entries() {
    local menu='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\ZOK'
    local sendto
    sendto="C:\\users\\$(id -un)\\AppData\\Roaming\\Microsoft\\Windows\\SendTo"
    local verb_key='HKEY_LOCAL_MACHINE\Software\Classes\*\shell\ZOK'
    local entry='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZOK'
    cat <<TABLE
file|$dir\\zok.exe
file|$dir\\zok-cli.exe
file|$dir\\README.txt
file|$dir\\Uninstall.exe
file|$menu\\ZOK.lnk
file|$menu\\$guide.lnk
file|$menu\\$console.lnk
file|$menu\\$remover.lnk
file|$sendto\\ZOK.lnk
absent|C:\\users\\Public\\Desktop\\ZOK.lnk
absent|$menu\\$other_guide.lnk
absent|$menu\\$other_console.lnk
absent|$menu\\$other_remover.lnk
reg|$verb_key|@|$verb
reg|$verb_key|Icon|$dir\\zok.exe
reg|$verb_key\\command|@|"$dir\\zok.exe" "%1"
reg|$entry|DisplayName|$display_name
reg|$entry|DisplayVersion|$version
reg|$entry|Publisher|Torvel
reg|$entry|DisplayIcon|$dir\\zok.exe,0
reg|$entry|InstallLocation|$dir
reg|$entry|UninstallString|"$dir\\Uninstall.exe"
reg|$entry|QuietUninstallString|"$dir\\Uninstall.exe" /S
reg|$entry|URLInfoAbout|https://zok.torvel.example/
reg|$entry|EstimatedSize|$size_kib
reg|$entry|NoModify|1
reg|$entry|NoRepair|1
TABLE
}

unix_path() {  # C:\a\b -> the file in the prefix
    local path=${1#C:}
    printf '%s' "$drive${path//\\//}"
}

# The registry key (with its subkeys) as UTF-8 text; empty when it does not exist.
export_key() {
    local file=$scratch/export.reg
    rm -f "$file"
    wine regedit /E "Z:${file//\//\\}" "$1" </dev/null >/dev/null 2>&1 || true
    [[ -s $file ]] && iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//'
    return 0
}

# A value of the key (not of its subkeys) as the program reads it, a DWORD in decimal; status 1
# when it is absent.
reg_value() {
    local key=$1 name=$2 prefix
    [[ $name == @ ]] && prefix='@=' || prefix="\"$name\"="
    export_key "$key" | awk -v prefix="$prefix" '
        /^\[/ { sections++ }
        sections == 1 && index($0, prefix) == 1 { print substr($0, length(prefix) + 1); found = 1 }
        END { exit !found }' |
        sed -e 's/^"\(.*\)"$/\1/' -e 's/\\"/"/g' -e 's/\\\\/\\/g' |
        while read -r text; do
            [[ $text =~ ^dword:([0-9a-f]{8})$ ]] && text=$((16#${BASH_REMATCH[1]}))
            printf '%s\n' "$text"
        done
}

# Checks every row of the table: present (with its value) or, with "gone", absent.
check_entries() {
    local want=$1 kind where name value got entries checked=0
    entries=$(expected_entries)
    while IFS='|' read -r kind where name value; do
        checked=$((checked + 1))
        if [[ $kind == file || $kind == absent ]]; then
            if [[ $want == present && $kind == file ]]; then
                [[ -f $(unix_path "$where") ]] || fail "missing file $where"
            else
                [[ ! -e $(unix_path "$where") ]] || fail "left behind: $where"
            fi
        elif [[ $want == present ]]; then
            got=$(reg_value "$where" "$name") || fail "missing registry value $where $name"
            [[ $got == "$value" ]] || fail "$where $name: '$got', expected '$value'"
        else
            ! reg_value "$where" "$name" >/dev/null || fail "left behind: $where $name"
        fi
    done <<<"$entries"
    ((checked == 27)) || fail "checked $checked entries of the table's 27"
}

# The console shortcut starts cmd.exe in the user's folder with the install folder first on the
# console's PATH, and zok-cli's usage: a shell link holds its target, folder and arguments as
# UTF-16LE text, found here in the bytes' hex digits.
hex_of() { od -An -tx1 -v | tr -d ' \n'; }
check_console_shortcut() {
    local link bytes text
    link=$(unix_path 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\ZOK')/$console.lnk
    [[ -f $link ]] || fail "missing $console.lnk"
    bytes=$(hex_of <"$link")
    for text in 'cmd.exe' '/k "cd /d "%USERPROFILE%" & ' "set \"PATH=$dir;%PATH%\" & zok-cli\""; do
        [[ $bytes == *"$(printf '%s' "$text" | iconv -f UTF-8 -t UTF-16LE | hex_of)"* ]] ||
            fail "$console.lnk does not hold '$text'"
    done
}

uninstall_entries() {
    export_key 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall' |
        grep -c '^"DisplayName"=".*ZOK' || true
}

# NSIS reads /D= (and the uninstaller _?=) to the end of its command line, unquoted; Wine
# quotes an argument holding spaces, so a folder is passed as its space-separated words.
install() {
    local -a words
    read -ra words <<<"/D=$dir"
    env "$@" wine "$setup" /S "${words[@]}" </dev/null || fail "setup ended with status $?"
}

# Everything in the prefix and in its registry that names ZOK.
traces() {
    (cd "$drive" && find . -iname '*zok*' | sort)
    local root text
    for root in HKEY_LOCAL_MACHINE HKEY_CURRENT_USER; do
        text=$(export_key "$root\\Software")
        [[ -n $text ]] || fail "cannot read $root\\Software"
        grep -i 'zok' <<<"$text" || true
    done
}

version=$(basename "$setup" | sed -n 's/^zok-\(.*\)-setup\.exe$/\1/p')
[[ -n $version ]] || fail "cannot read the version from the name $setup"
before=$(traces)
[[ -z $before ]] || fail "the prefix already holds traces of ZOK:"$'\n'"$before"

english() {
    verb='Open with ZOK' guide='ZOK user guide' remover='Uninstall ZOK'
    console='ZOK command line' display_name='ZOK File Encryptor'
    other_guide='ZOK 使用说明' other_remover='卸载 ZOK' other_console='ZOK 命令行'
}
chinese() {
    verb='用 ZOK 加密机打开' guide='ZOK 使用说明' remover='卸载 ZOK'
    console='ZOK 命令行' display_name='ZOK 青禾文件加密机'
    other_guide='ZOK user guide' other_remover='Uninstall ZOK' other_console='ZOK command line'
}
# The setup speaks the user interface language, which Wine takes from the locale: a Chinese one,
# compiled into the scratch folder so that the system's locales stay as they are.
localedef -i zh_CN -f UTF-8 "$scratch/zh_CN.UTF-8" || fail "cannot compile the zh_CN.UTF-8 locale"
chinese_locale=(LOCPATH="$scratch" LC_ALL=zh_CN.UTF-8)

step "silent install into the default folder"
dir='C:\Program Files\ZOK'
english
install LC_ALL=C.UTF-8
# The files' sizes in KiB, each rounded up, as makensis counts them.
size_kib=$(stat -c %s "$(unix_path "$dir")"/{zok.exe,zok-cli.exe,README.txt} |
    awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
check_entries present
check_console_shortcut

step "the same version again over it, in Chinese"
chinese
install "${chinese_locale[@]}"
check_entries present
entries=$(uninstall_entries)
[[ $entries == 1 ]] || fail "$entries uninstall entries after a second install"

step "silent install in Chinese into a folder with spaces and Chinese characters"
first=$(unix_path "$dir")
dir='C:\Program Files\青禾 ZOK'
install "${chinese_locale[@]}"
check_entries present
check_console_shortcut
entries=$(uninstall_entries)
[[ $entries == 1 ]] || fail "$entries uninstall entries after moving"
[[ ! -e $first ]] || fail "the earlier installation stays in $first: $(ls "$first")"

step "Explorer's entry opens the window with the file"
# The case is skipped where no setup has run: here it must have passed.
wine "$window_tests" "$dir\\zok.exe" --gtest_filter='CommandLine.ExplorerEntry*' \
    </dev/null >"$scratch/window.log" 2>&1 || true
grep -q '^\[  PASSED  \] 1 test\.' "$scratch/window.log" ||
    { cat "$scratch/window.log"; fail "the Explorer entry did not open the window with the file"; }

step "silent uninstall keeps a file the user added"
user_file=$(unix_path "$dir\\我的 笔记.txt")
echo 'mine' >"$user_file"
# Run from a copy, as the uninstaller itself does, so that its end can be waited for and the
# installed one is removed too.
uninstall() {
    cp "$(unix_path "$dir\\Uninstall.exe")" "$scratch/uninstall.exe"
    read -ra words <<<"_?=$dir"
    wine "$scratch/uninstall.exe" /S "${words[@]}" </dev/null || fail "uninstaller ended with status $?"
    check_entries gone
}
uninstall
[[ $(cat "$user_file") == mine ]] || fail "the user's file was not kept"
rm "$user_file"
rmdir "$(unix_path "$dir")" || fail "the install folder holds more than the user's file"
after=$(traces)
[[ -z $after ]] || fail "left behind after uninstalling:"$'\n'"$after"

if (($# > 2)); then
    step "$(basename "$3"), then this version over it"
    dir='C:\Program Files\ZOK'
    env "${chinese_locale[@]}" wine "$(realpath "$3")" /S </dev/null || fail "$3 ended with status $?"
    old=$(reg_value 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZOK' \
        DisplayVersion) || fail "$3 made no uninstall entry"
    [[ $old != "$version" ]] || fail "$3 is this version, $version"
    english
    install LC_ALL=C.UTF-8
    check_entries present
    check_console_shortcut
    entries=$(uninstall_entries)
    [[ $entries == 1 ]] || fail "$entries uninstall entries after the upgrade"
    folder=$(unix_path "$dir")
    [[ $(cd "$folder" && LC_ALL=C ls | tr '\n' ' ') == 'README.txt Uninstall.exe zok-cli.exe zok.exe ' ]] ||
        fail "the install folder after the upgrade: $(ls "$folder")"
    for file in README.txt zok-cli.exe zok.exe; do
        cmp -s "$4/$file" "$folder/$file" || fail "$file is not this version's after the upgrade"
    done
    uninstall
    [[ ! -e $folder ]] || fail "the install folder stays after uninstalling the upgrade"
    after=$(traces)
    [[ -z $after ]] || fail "left behind after uninstalling the upgrade:"$'\n'"$after"
fi
echo "setup-check: install, Explorer entry, upgrades and uninstall are as expected"

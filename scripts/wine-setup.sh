#!/usr/bin/env bash
# Prepares the build's own Wine prefix: initialised once, no window-manager delays, and a CJK
# font standing in for the dialog's font.
#
# On hosts whose kernel cannot run 32-bit x86 code (no IA-32 compatibility mode), Wine's 32-bit
# side runs under qemu's i386 user-mode emulator, registered here through binfmt_misc. Wine
# reserves its address space with MAP_FIXED_NOREPLACE, which qemu honours from version 8 on, so
# Debian 12 needs qemu from its backports suite, taken from the mirror the machine already uses.
#
# Ends with no Wine process running: programs that open windows run in scripts/wine-session.sh,
# which starts the server inside their display.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"

can_run_i386() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

ensure_i386() {
    can_run_i386 && return 0
    echo "wine-setup: this kernel runs no 32-bit x86 code; using qemu's i386 emulator" >&2
    local qemu=/usr/bin/qemu-i386-static
    local major=0
    [[ -x $qemu ]] && major=$("$qemu" --version | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p')
    if ((major < 8)); then
        local codename backports
        codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
        backports=$codename-backports
        if ! "$here/debian-mirror.sh" "$backports" >/dev/null 2>&1; then
            local uri key
            read -r uri key < <("$here/debian-mirror.sh" "$codename" || true)
            [[ -n $uri ]] || { echo "wine-setup: no Debian source for $codename" >&2; exit 1; }
            echo "deb ${key:+[signed-by=$key] }$uri $backports main" \
                >"/etc/apt/sources.list.d/$backports.list"
        fi
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            -t "$backports" qemu-user-static >/dev/null
    fi
    local misc=/proc/sys/fs/binfmt_misc
    [[ -e $misc/register ]] || mount -t binfmt_misc binfmt_misc "$misc"
    # A registration made with an older qemu keeps that binary open ("F" flag): replace it.
    [[ -e $misc/qemu-i386 ]] && echo -1 >"$misc/qemu-i386"
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:OCF' \
        >"$misc/register"
    can_run_i386 || { echo "wine-setup: 32-bit Wine still does not start" >&2; exit 1; }
}

# The stand-in for the dialog's font. Noto Sans CJK SC has nearly the metrics the window was laid
# out for; WenQuanYi Micro Hei renders too, but its smaller line height makes the dialog shorter
# and the banner overlaps the path row.
if [[ -n $(fc-list 'Noto Sans CJK SC' family 2>/dev/null) ]]; then
    cjk_font="Noto Sans CJK SC"
else
    cjk_font="WenQuanYi Micro Hei"
fi

# The settings as a version 5 registry file: UTF-16LE with a byte-order mark, the only form in
# which regedit keeps the Chinese value names (a REGEDIT4 file is read in the ANSI code page).
registry_file() {
    printf '\xff\xfe'
    iconv -f UTF-8 -t UTF-16LE <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"微软雅黑"="$cjk_font"
"Microsoft YaHei"="$cjk_font"
"宋体"="$cjk_font"
"SimSun"="$cjk_font"
"MS Shell Dlg"="$cjk_font"
"MS Shell Dlg 2"="$cjk_font"
"Tahoma"="$cjk_font"

REG
}

ensure_i386
# A server left from an earlier run may hold another display (or none): stop it first.
stop_wine_server
mkdir -p "$WINEPREFIX"
# The marker names the settings' revision, so older prefixes are brought up to date.
marker="$WINEPREFIX/.zok-ready-3 $cjk_font"
if [[ ! -f $marker ]]; then
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        wineboot -i </dev/null >/dev/null 2>&1 || true
    fi
    reg=$(mktemp --suffix=.reg)
    registry_file >"$reg"
    wine regedit /S "$reg" >/dev/null 2>&1
    rm -f "$reg"
    stored=$(wine reg query 'HKCU\Software\Wine\Fonts\Replacements' /v '微软雅黑' 2>/dev/null || true)
    if [[ $stored != *"$cjk_font"* ]]; then
        echo "wine-setup: the font replacement did not reach the registry" >&2
        exit 1
    fi
    touch "$marker"
fi
# Wait until the server of the steps above has ended by itself, so the registry is saved.
wineserver -w

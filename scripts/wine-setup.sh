#!/usr/bin/env bash
# Prepares the build's own Wine prefix: initialised once, no window-manager delays, and a CJK
# font standing in for the dialog's font. Leaves a wineserver running for fast starts.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/win32/wineprefix}
export WINEDEBUG=-all LC_ALL=C.UTF-8
mkdir -p "$WINEPREFIX"
if [[ ! -f $WINEPREFIX/.zok-ready ]]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    reg=$(mktemp --suffix=.reg)
    cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"微软雅黑"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"宋体"="WenQuanYi Micro Hei"
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
"Tahoma"="WenQuanYi Micro Hei"
REG
    wine regedit "$reg" >/dev/null 2>&1
    wineserver -w
    rm -f "$reg"
    touch "$WINEPREFIX/.zok-ready"
fi
# A persistent server keeps later starts fast.
(wineserver -p >/dev/null 2>&1 &)

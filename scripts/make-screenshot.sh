#!/usr/bin/env bash
# Makes docs/screenshot.png: the window of build/win32/zok.exe on a virtual display, started
# with a sample file so the path field shows one. Build first (./run.sh builds and sets up Wine).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
"$here/wine-setup.sh"
ZOK_VIRTUAL_DISPLAY=1 ZOK_SCREENSHOT="$root/docs/screenshot.png" \
    "$here/show-window.sh" 'C:\Users\Public\Documents\季度报告.docx'

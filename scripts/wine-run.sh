#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the build's own prefix.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/win32/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=C.UTF-8
exec wine "$@"

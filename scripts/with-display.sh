#!/usr/bin/env bash
# Runs a command with an X display: the user's, or a private virtual one (Xvfb) when there is none
# or ZOK_VIRTUAL_DISPLAY=1. Inside a virtual display ZOK_DISPLAY_IS_VIRTUAL=1 is set.
set -euo pipefail
if [[ ${ZOK_VIRTUAL_DISPLAY:-} != 1 && -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    exec "$@"
fi
export ZOK_DISPLAY_IS_VIRTUAL=1
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"

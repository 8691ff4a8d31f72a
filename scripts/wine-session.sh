#!/usr/bin/env bash
# Runs a command with an X display (scripts/with-display.sh) and with Wine's server and service
# processes started inside it, then stops them.
#
# Wine's server and its services (explorer.exe /desktop among them) take the display that exists
# when they start; a server started without one, or on a display that has since gone, makes every
# later window of it fail. So the session stops whatever server this prefix has, starts a fresh
# one inside the display, and stops it again before the display ends: the server never outlives
# or predates the display it serves. One session per prefix at a time.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ ${ZOK_WINE_SESSION:-} != display ]]; then
    export ZOK_WINE_SESSION=display
    exec "$here/with-display.sh" "$0" "$@"
fi
source "$here/wine-env.sh"

stop_wine_server
trap stop_wine_server EXIT
# A persistent server keeps later starts fast. The services start with the first program and
# inherit its standard streams: start them detached, so they do not hold open a test runner's
# output pipe (which would wait for them until they end).
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
export ZOK_WINE_SESSION=running
"$@"

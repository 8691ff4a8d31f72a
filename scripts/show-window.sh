#!/usr/bin/env bash
# Shows the window of build/win32/zok.exe under Wine; arguments go to the program.
# On the user's display when one works. Without one (or with ZOK_VIRTUAL_DISPLAY=1), the window
# opens on a private virtual display (Xvfb); once it has been drawn, a screenshot goes to
# build/win32/screenshot.png (or to $ZOK_SCREENSHOT) and the program ends.
# Run scripts/wine-setup.sh once before.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
exe=${ZOK_EXE:-$root/build/win32/zok.exe}
shot=${ZOK_SCREENSHOT:-$root/build/win32/screenshot.png}
caption='Torvel File Encryptor (ZOK) V1.0 Alpha'
wait_seconds=${ZOK_WAIT_SECONDS:-180}

[[ -f $exe ]] || { echo "show-window: $exe is missing; build it with ./run.sh" >&2; exit 1; }

# Wine's server must start inside the display the window uses: the session sees to it.
[[ ${ZOK_WINE_SESSION:-} == running ]] || exec "$here/wine-session.sh" "$0" "$@"

if [[ ${ZOK_DISPLAY_IS_VIRTUAL:-} != 1 ]]; then
    echo "show-window: starting zok.exe on display $DISPLAY"
    "$here/wine-run.sh" "$exe" "$@"
    exit
fi

echo "show-window: no display; using a virtual one"
"$here/wine-run.sh" "$exe" "$@" </dev/null >/dev/null 2>&1 &
program=$!
trap 'kill "$program" 2>/dev/null || true' EXIT

window_id() {
    xwininfo -root -tree 2>/dev/null | awk -v caption="$caption" 'index($0, "\"" caption) { print $1; exit }'
}

deadline=$((SECONDS + wait_seconds))
id=
until [[ -n $id ]]; do
    if ! kill -0 "$program" 2>/dev/null; then
        code=0
        wait "$program" || code=$?
        echo "show-window: zok.exe ended with exit code $code before its window appeared" >&2
        exit 1
    fi
    ((SECONDS < deadline)) || { echo "show-window: no window after ${wait_seconds}s" >&2; exit 1; }
    sleep 0.2
    id=$(window_id)
done

# The window is drawn piece by piece: take pictures until two in a row are the same.
mkdir -p "$(dirname "$shot")"
previous=
while :; do
    ((SECONDS < deadline)) || { echo "show-window: the window kept changing" >&2; exit 1; }
    sleep 0.5
    import -window "$id" "$shot.tmp.png"
    current=$(convert "$shot.tmp.png" rgb:- | md5sum)
    [[ $current == "$previous" ]] && break
    previous=$current
done
mv "$shot.tmp.png" "$shot"
echo "show-window: screenshot saved to $shot"

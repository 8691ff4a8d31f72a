# Sourced by the Wine scripts: the build's own prefix, quiet Wine, and a UTF-8 locale (under
# LC_ALL=C, Wine mangles command-line arguments with Chinese text).
scripts_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$scripts_dir/../build/win32/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=C.UTF-8

# Stops this prefix's server and every Wine process of it, and waits until they are gone.
stop_wine_server() {
    wineserver -k </dev/null >/dev/null 2>&1 || true  # fails when none runs
    wineserver -w </dev/null >/dev/null 2>&1 || true
}

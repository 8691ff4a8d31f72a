#!/usr/bin/env bash
# Builds the Windows program and starts its window under Wine; arguments go to the program.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$(nproc)" --target zok
scripts/wine-setup.sh
exec scripts/show-window.sh "$@"

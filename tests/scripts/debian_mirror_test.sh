#!/usr/bin/env bash
# The backports source is derived from the machine's own APT configuration, in both forms.
# Usage: debian_mirror_test.sh DEBIAN_MIRROR_SCRIPT
set -euo pipefail
mirror=$1
apt=$(mktemp -d)
trap 'rm -rf "$apt"' EXIT
mkdir -p "$apt/sources.list.d"
failures=0
expect() {
    local want=$1 got
    shift
    got=$("$mirror" "$@" "$apt" 2>/dev/null) || got="<failed>"
    [[ $got == "$want" ]] || { echo "FAIL: $* gave '$got', expected '$want'"; failures=$((failures + 1)); }
}

# deb822 only, with a disabled stanza, a comment and a source-only stanza before the one to use.
cat >"$apt/sources.list.d/debian.sources" <<'SOURCES'
Types: deb
URIs: http://disabled.invalid/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb-src
URIs: http://sources-only.invalid/debian
Suites: bookworm
Components: main

# The machine's mirror
Types: deb
URIs: http://mirror-a.invalid/debian http://mirror-b.invalid/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
expect "http://mirror-a.invalid/debian /usr/share/keyrings/debian-archive-keyring.gpg" bookworm
expect "http://mirror-a.invalid/debian /usr/share/keyrings/debian-archive-keyring.gpg" bookworm-updates
expect "<failed>" bookworm-backports

# The one-line form is read first, with and without options.
cat >"$apt/sources.list" <<'LIST'
# deb http://commented.invalid/debian bookworm main
deb-src http://sources-only.invalid/debian bookworm main
deb [arch=amd64 signed-by=/etc/keys/local.gpg] http://mirror-c.invalid/debian bookworm main
deb http://mirror-d.invalid/debian bookworm-backports main contrib
LIST
expect "http://mirror-c.invalid/debian /etc/keys/local.gpg" bookworm
expect "http://mirror-d.invalid/debian" bookworm-backports
expect "<failed>" bookworm-updates-not

((failures == 0)) && echo "all cases passed"
exit $((failures > 0))

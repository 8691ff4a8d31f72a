#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12 (run as root). Skips what is present.
set -euo pipefail

packages=(build-essential cmake git googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686
          wine wine32 wine64 xvfb xauth x11-utils imagemagick fonts-noto-cjk fonts-wqy-microhei
          clang libclang-rt-14-dev openssl dpkg-dev lintian devscripts zip unzip nsis locales
          exfat-fuse exfatprogs gcovr)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need_update=1
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${db:Status-Status}\n' "$p" 2>/dev/null | grep -qx installed || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif [[ ${need_update:-0} == 1 ]]; then
    apt-get update -qq
fi

#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
    build-essential cmake
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools qt6-l10n-tools
    qt6-translations-l10n qt6-qpa-plugins
    libgl-dev libxkbcommon-dev
    libsqlite3-dev sqlite3 zlib1g-dev
    fonts-dejavu-core
    libzint-dev libfreetype-dev
    # only for the tests, which read back the barcodes the register printed
    libzxing-dev
    xvfb xauth
    # The checked suite and the fuzz targets (scripts/test.sh, scripts/fuzz.sh),
    # and memcheck.
    clang-14 libclang-rt-14-dev llvm-14 valgrind
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages are present"
    exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"

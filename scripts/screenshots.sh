#!/usr/bin/env bash
# Saves a picture of every section page, tab and barcode option page of the
# main window, for reviewing the layout without clicking through the program.
#
#   scripts/screenshots.sh [OUTPUT_DIR]     (default: build/screenshots)
#
# Builds only the picture tool (tools/) into build/ (or $BUILD_DIR) and runs it
# on the offscreen platform; set QT_QPA_PLATFORM=xcb with a display, or run
# under xvfb-run, to draw with a real window system instead. The tool runs
# with a throw-away HOME, so it never touches the user's settings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=${1:-$build/screenshots}

"$root/scripts/setup.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
if ! cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target fptr_screenshots; then
    echo "screenshots: building fptr_screenshots failed (is tools/ added to the build?)" >&2
    exit 1
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$out"
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" \
    "$build/bin/fptr_screenshots" "$out"

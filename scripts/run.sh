#!/usr/bin/env bash
# Installs what is missing, builds, and opens the program. Its default device
# is the virtual register, so it does real work without any hardware.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
program="$root/build/bin/fptr_t"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo
    echo "No display is available (neither DISPLAY nor WAYLAND_DISPLAY is set),"
    echo "so the program's window cannot be shown here."
    echo "Run this script from a graphical session, or with a display forwarded"
    echo "(ssh -X), or run the program on a virtual display:"
    echo "    xvfb-run -a -s '-screen 0 1280x800x24' $program"
    if [ -t 0 ]; then
        read -r -p "Start it on a virtual display (Xvfb) now? [y/N] " answer
        case "$answer" in
            [yY]*) exec xvfb-run -a -s '-screen 0 1280x800x24' "$program" ;;
        esac
    fi
    exit 1
fi
exec "$program"

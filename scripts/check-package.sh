#!/usr/bin/env bash
# Builds the Debian package and checks it on a clean Debian 12 system:
#
#   1. a minimal bookworm (debootstrap, cached in build-package/) is copied
#      afresh and the package goes in with `apt install ./fptr-t_….deb`;
#   2. every library of the program resolves, the menu entry is valid and
#      its icon is there;
#   3. as an ordinary user on a virtual display (xvfb-run) the installed
#      program opens its window, with no error message, loading the virtual
#      register from /usr/lib/fptr-t/; closed, it has saved the register as
#      its device;
#   4. removing and purging the package leaves the user's settings and
#      register data alone.
#
# Needs root (debootstrap, chroot, mounts) and the network (Debian's
# packages), so it is not part of CI. Output: the steps, and a screenshot of
# the window in build-package/window.png (with ImageMagick) or .xwd.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-package
if [ "$(id -u)" -ne 0 ]; then
    echo "check-package: needs root (debootstrap and chroot)" >&2
    exit 1
fi
step() { echo "== $*"; }

step "building the package"
"$root/scripts/setup.sh"
missing=()
for p in debootstrap dpkg-dev desktop-file-utils; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The package holds the program and its drivers only: CPack need not build
# the tests and tools first.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DFPTR_SANITIZE=OFF -DFPTR_FUZZ=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target fptr_t fptr rcpprn
rm -f "$build"/fptr-t_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/fptr-t_*.deb)
echo "package: $(basename "$deb") ($(du -h "$deb" | cut -f1))"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
echo "contents:"
dpkg-deb --contents "$deb" | awk '{print "  " $6 ($7 ? " " $7 " " $8 : "")}'
# The only maintainer scripts are CPack's ldconfig calls (for libraries
# under /usr/lib): nothing that could touch a user's files.
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'preinst|postinst|prerm|postrm' | tr '\n' ' ' || true)
for script in $scripts; do
    if dpkg-deb --ctrl-tarfile "$deb" | tar -xO "$script" \
        | grep -vxE '#!/bin/sh|set -e|if \[ "\$1" = "(configure|remove)" \]; then|[[:space:]]*ldconfig|fi|' | grep -q .; then
        echo "FAILED: the maintainer script $script does more than call ldconfig" >&2
        exit 1
    fi
done
echo "maintainer scripts: ${scripts:-none}(ldconfig only)"

step "a clean Debian 12"
base=$build/bookworm-base
if [ ! -f "$base/.complete" ]; then
    rm -rf "$base"
    debootstrap --variant=minbase bookworm "$base" >"$build/debootstrap.log" 2>&1 \
        || { tail -20 "$build/debootstrap.log"; exit 1; }
    touch "$base/.complete"
fi
system=$build/bookworm-check
mounted=()
cleanup() {
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
rm -rf "$system"
cp -a "$base" "$system"
for m in proc sys dev dev/pts; do
    mount --bind "/$m" "$system/$m"
    mounted+=("$system/$m")
done
cp /etc/resolv.conf "$system/etc/resolv.conf"
cp "$deb" "$system/tmp/"
in_system() { chroot "$system" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }

step "apt install ./$(basename "$deb")"
in_system apt-get update -q >/dev/null
in_system sh -c "cd /tmp && apt-get install -y -q ./$(basename "$deb")" | tail -3
in_system dpkg -s fptr-t | sed -n 's/^\(Status\|Version\): /  \1: /p'

step "libraries, menu entry, icon"
if in_system ldd /usr/lib/fptr-t/fptr_t /usr/lib/fptr-t/libfptr.so /usr/lib/fptr-t/librcpprn.so | grep "not found"; then
    echo "FAILED: a library is missing" >&2
    exit 1
fi
echo "  every library resolves"
desktop-file-validate "$system/usr/share/applications/fptr-t.desktop" && echo "  menu entry valid"
ls "$system"/usr/share/icons/hicolor/*/apps/fptr-t.png | sed "s|$system|  |"
readlink "$system/usr/bin/fptr_t" | sed 's/^/  \/usr\/bin\/fptr_t -> /'

step "the installed program on a virtual display"
# The tools of the check come after the package, so they cannot have
# brought a library the package forgot to depend on.
in_system apt-get install -y -q --no-install-recommends xvfb xauth x11-utils x11-apps python3-xlib >/dev/null
in_system useradd -m -s /bin/sh tester
cp "$root/scripts/check-package-window.sh" "$system/tmp/window.sh"
chmod 755 "$system/tmp/window.sh"
in_system su tester -c "cd /home/tester && xvfb-run -a -s '-screen 0 1280x1024x24' /tmp/window.sh"
if command -v convert >/dev/null && convert "$system/tmp/window.xwd" "$build/window.png" 2>/dev/null; then
    echo "  screenshot: $build/window.png"
else
    cp "$system/tmp/window.xwd" "$build/window.xwd"
    echo "  screenshot: $build/window.xwd"
fi

step "removing the package"
home=$system/home/tester
# The register's data as a user who worked with it has it.
mkdir -p "$home/.local/share/virtual-register/0123456789abcdef"
echo "memory" >"$home/.local/share/virtual-register/0123456789abcdef/memory.db"
in_system chown -R tester:tester /home/tester/.local
before=$(cd "$home" && find .kelm .local/share/virtual-register -type f -exec sha256sum {} + | sort)
in_system apt-get purge -y -q fptr-t | tail -1
after=$(cd "$home" && find .kelm .local/share/virtual-register -type f -exec sha256sum {} + 2>/dev/null | sort)
if [ -e "$system/usr/bin/fptr_t" ] || [ -e "$system/usr/lib/fptr-t" ]; then
    echo "FAILED: the program is still installed" >&2
    exit 1
fi
if [ -z "$before" ] || [ "$before" != "$after" ]; then
    echo "FAILED: the user's files changed:" >&2
    diff <(echo "$before") <(echo "$after") >&2 || true
    exit 1
fi
echo "$after" | sed 's/^[0-9a-f]*  /  kept: /'
step "package check passed"

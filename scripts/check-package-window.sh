#!/bin/sh
# Run by check-package.sh inside the clean system, as the user, on a virtual
# display: starts the installed program by the menu entry's command, checks
# its window and what it loaded, takes a screenshot, and closes the window
# as a window manager would.
set -eu
cat >/tmp/windows.py <<'PY'
# windows.py find|close TITLE: waits for a top-level window with the title
# (and reports every titled window), or asks it to close.
import sys, time
from Xlib import X, display, protocol
command, title = sys.argv[1], sys.argv[2]
d = display.Display()
NAME = d.intern_atom('_NET_WM_NAME')
UTF8 = d.intern_atom('UTF8_STRING')
def titled():
    found = []
    def walk(w):
        p = w.get_full_property(NAME, UTF8)
        if p and p.value:
            attrs = w.get_attributes()
            if attrs.map_state == X.IsViewable:
                found.append((w, p.value.decode()))
        for c in w.query_tree().children:
            walk(c)
    walk(d.screen().root)
    return found
for _ in range(60):
    windows = titled()
    match = [w for w, t in windows if t.startswith(title)]
    if match:
        break
    time.sleep(0.5)
else:
    print("FAILED: no window \"%s\"; windows: %s" % (title, [t for _, t in windows]))
    sys.exit(1)
if command == 'find':
    time.sleep(2)
    for w, t in titled():
        g = w.get_geometry()
        print("  window \"%s\" %dx%d" % (t, g.width, g.height))
    sys.exit(0)
w = match[0]
delete = d.intern_atom('WM_DELETE_WINDOW')
w.send_event(protocol.event.ClientMessage(window=w, client_type=d.intern_atom('WM_PROTOCOLS'),
                                          data=(32, [delete, X.CurrentTime, 0, 0, 0])))
d.flush()
PY
title="Тест драйверов устройств печати"
fptr_t >/tmp/fptr_t.log 2>&1 &
pid=$!
if ! python3 /tmp/windows.py find "$title" >/tmp/windows.txt; then
    cat /tmp/windows.txt /tmp/fptr_t.log >&2
    exit 1
fi
cat /tmp/windows.txt
# An error at start-up (no default device) is a message box of its own.
if [ "$(grep -c '^  window' /tmp/windows.txt)" -ne 1 ]; then
    echo "FAILED: the program shows more than its window" >&2
    exit 1
fi
lib=$(grep -o '/usr/lib/fptr-t/libfptr.so' /proc/$pid/maps | head -1)
if [ -z "$lib" ]; then
    echo "FAILED: the virtual register's library is not loaded" >&2
    exit 1
fi
echo "  loaded: $lib"
xwd -root -silent >/tmp/window.xwd
python3 /tmp/windows.py close "$title"
for _ in $(seq 1 40); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.5
done
if kill -0 $pid 2>/dev/null; then
    echo "FAILED: the program did not close" >&2
    kill $pid
    exit 1
fi
settings=$HOME/.kelm/drivers9/fptr.cfg
if ! grep -q 'type="0"' "$settings" || ! grep -q 'DeviceId' "$settings"; then
    echo "FAILED: no virtual register in $settings" >&2
    cat "$settings" >&2 || true
    exit 1
fi
echo "  closed; saved: $(grep -o '<object name="[^"]*" type="0"' "$settings")"

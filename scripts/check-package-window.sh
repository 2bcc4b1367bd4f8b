#!/bin/sh
# Run by check-package.sh inside the clean system, as the user, on a virtual
# display: starts the installed program from the menu's command, checks its
# window and what it loaded, takes a screenshot, and closes it as the window
# manager would.
set -eu
title="Тест драйверов устройств печати"
fptr_t >/tmp/fptr_t.log 2>&1 &
pid=$!
found=""
for _ in $(seq 1 60); do
    if xwininfo -root -tree | grep -q "\"$title\""; then
        found=yes
        break
    fi
    sleep 0.5
done
sleep 2
if [ -z "$found" ]; then
    echo "FAILED: no window \"$title\"" >&2
    cat /tmp/fptr_t.log >&2
    exit 1
fi
echo "  window: $(xwininfo -root -tree | grep "\"$title\"" | head -1 | sed 's/^ *//')"
# An error at start-up (no default device) would be a second window.
if xwininfo -root -tree | grep -q '"Ошибка"'; then
    echo "FAILED: the program shows an error" >&2
    exit 1
fi
lib=$(grep -o '/usr/lib/fptr-t/libfptr.so' /proc/$pid/maps | head -1)
if [ -z "$lib" ]; then
    echo "FAILED: the virtual register's library is not loaded" >&2
    exit 1
fi
echo "  loaded: $lib"
xwd -root -silent >/tmp/window.xwd
python3 - "$title" <<'PY'
import sys
from Xlib import X, display, protocol
d = display.Display()
title = sys.argv[1]
def walk(w):
    name = w.get_full_property(d.intern_atom('_NET_WM_NAME'), d.intern_atom('UTF8_STRING'))
    if name and name.value.decode() == title:
        return w
    for c in w.query_tree().children:
        found = walk(c)
        if found:
            return found
w = walk(d.screen().root)
delete = d.intern_atom('WM_DELETE_WINDOW')
event = protocol.event.ClientMessage(window=w, client_type=d.intern_atom('WM_PROTOCOLS'), data=(32, [delete, X.CurrentTime, 0, 0, 0]))
w.send_event(event)
d.flush()
PY
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
echo "  closed; saved device: $(grep -o '<object name="[^"]*" type="0"' "$settings")"

# Closes the X window given by its id as a window manager does: WM_DELETE_WINDOW.
import sys
from Xlib import X, display, protocol
d = display.Display()
w = d.create_resource_object("window", int(sys.argv[1]))
atom = d.intern_atom
w.send_event(protocol.event.ClientMessage(window=w, client_type=atom("WM_PROTOCOLS"),
    data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
d.flush()

# SPDX-License-Identifier: GPL-3.0-or-later
# Holds the portal's name on the session bus and never answers: nothing reads
# the connection, so every call to it waits for its timeout.
import sys
import time

import dbus

bus = dbus.SessionBus()
bus.request_name("org.freedesktop.portal.Desktop", dbus.bus.NAME_FLAG_DO_NOT_QUEUE)
print("holding the portal's name", flush=True)
time.sleep(float(sys.argv[1]) if len(sys.argv) > 1 else 600)

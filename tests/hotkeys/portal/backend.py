#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A desktop's global-shortcuts back end for the portal front end, driven by
the tests: it records the sessions and the shortcuts bound in them, answers
binds as told, and presses and releases shortcuts on request. It also
answers and emits what a faulty portal might, for the client's checks."""

import json

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.impl.portal.MurmelvoxTest"
PATH = "/org/freedesktop/portal/desktop"
IMPL = "org.freedesktop.impl.portal.GlobalShortcuts"
CONTROL = "org.murmelvox.test.PortalBackend"
SHORTCUTS = "a(sa{sv})"
RAW = "org.murmelvox.test.Raw"

# Shortcut lists of the wrong shape, by the name the tests give them.
MALFORMED_SHORTCUTS = {
    "a(ss)": dbus.Array([("play-pause", "F6")], signature="(ss)"),
    "a{sv}": dbus.Dictionary({"play-pause": "F6"}, signature="sv"),
    "a(saai)": dbus.Array([("play-pause", [[6]])], signature="(saai)"),
    "s": dbus.String("play-pause"),
}

# The version property as a faulty portal might answer it (a variant unless
# said otherwise); "u" is the right answer.
VERSIONS = {
    "u": dbus.UInt32(1, variant_level=1),
    "i": dbus.Int32(-1, variant_level=1),
    "s": dbus.String("1", variant_level=1),
    "a(ss)": dbus.Array([("version", "1")], signature="(ss)", variant_level=1),
    "u, not a variant": dbus.UInt32(1),
}


class Session(dbus.service.Object):
    def __init__(self, backend, path):
        super().__init__(backend.bus, path)
        self.backend = backend
        self.path = path

    @dbus.service.method("org.freedesktop.impl.portal.Session", in_signature="", out_signature="")
    def Close(self):
        self.backend.closed.append(self.path)
        self.backend.open_sessions.pop(self.path, None)
        self.remove_from_connection()

    @dbus.service.signal("org.freedesktop.impl.portal.Session", signature="")
    def Closed(self):
        pass


class Backend(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus
        self.sessions = []  # every session path, in order
        self.open_sessions = {}  # path: Session
        self.closed = []
        self.binds = []  # {"session", "shortcuts": [[id, description, preferred_trigger]]}
        self.next_bind_response = 0
        self.next_bind_shortcuts = None  # a name in MALFORMED_SHORTCUTS

    # The interface the front end calls.

    @dbus.service.method(IMPL, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session_handle, app_id, options):
        self.open_sessions[str(session_handle)] = Session(self, session_handle)
        self.sessions.append(str(session_handle))
        # 1.16 copies "shortcuts" from these results into its answer.
        return 0, {"session_id": str(session_handle), "shortcuts": dbus.Array([], signature="(sa{sv})")}

    @dbus.service.method(IMPL, in_signature="oo" + SHORTCUTS + "sa{sv}", out_signature="ua{sv}")
    def BindShortcuts(self, handle, session_handle, shortcuts, parent_window, options):
        asked = [[str(i), str(p.get("description", "")), str(p.get("preferred_trigger", ""))] for i, p in shortcuts]
        self.binds.append({"session": str(session_handle), "shortcuts": asked})
        response, self.next_bind_response = self.next_bind_response, 0
        if response != 0:
            return response, {}
        malformed, self.next_bind_shortcuts = self.next_bind_shortcuts, None
        if malformed:
            return 0, {"shortcuts": MALFORMED_SHORTCUTS[malformed]}
        bound = dbus.Array([(i, {"description": d, "trigger_description": t}) for i, d, t in asked],
                           signature="(sa{sv})")
        return 0, {"shortcuts": bound}

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Deactivated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(IMPL, signature="o" + SHORTCUTS)
    def ShortcutsChanged(self, session_handle, shortcuts):
        pass

    # What the tests call.

    @dbus.service.method(CONTROL, in_signature="", out_signature="s")
    def Record(self):
        return json.dumps({"sessions": self.sessions, "closed": self.closed, "binds": self.binds})

    @dbus.service.method(CONTROL, in_signature="u", out_signature="")
    def AnswerNextBind(self, response):
        self.next_bind_response = int(response)

    @dbus.service.method(CONTROL, in_signature="s", out_signature="")
    def ShapeNextBind(self, shortcuts):
        self.next_bind_shortcuts = str(shortcuts)

    @dbus.service.method(CONTROL, in_signature="", out_signature="")
    def CloseSession(self):
        """The desktop ends the last session, as when it drops the program's shortcuts."""
        session = self.open_sessions.pop(self.binds[-1]["session"])
        session.Closed()
        session.remove_from_connection()

    @dbus.service.method(CONTROL, in_signature="s")
    def Version(self, shape):
        return VERSIONS[shape]

    @dbus.service.method(CONTROL, in_signature="ssas", out_signature="")
    def Emit(self, member, signature, arguments):
        """A signal of this body from the back end itself (interface RAW), with
        JSON arguments: for the tests to hand a faulty portal's signal to the client."""
        message = dbus.lowlevel.SignalMessage(PATH, RAW, member)
        message.append(*[json.loads(a) for a in arguments], signature=signature)
        self.bus.send_message(message)

    def last_session(self):
        return dbus.ObjectPath(self.binds[-1]["session"])

    @dbus.service.method(CONTROL, in_signature="s", out_signature="")
    def Press(self, shortcut_id):
        self.Activated(self.last_session(), shortcut_id, dbus.UInt64(0), {})

    @dbus.service.method(CONTROL, in_signature="s", out_signature="")
    def Release(self, shortcut_id):
        self.Deactivated(self.last_session(), shortcut_id, dbus.UInt64(0), {})

    @dbus.service.method(CONTROL, in_signature="ss", out_signature="")
    def Change(self, shortcut_id, trigger):
        self.ShortcutsChanged(self.last_session(), dbus.Array(
            [(shortcut_id, {"trigger_description": trigger})], signature="(sa{sv})"))


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    backend = Backend(bus)
    name = dbus.service.BusName(NAME, bus)  # owned while the process runs
    GLib.MainLoop().run()
    del backend, name


if __name__ == "__main__":
    main()

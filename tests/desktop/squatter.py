# SPDX-License-Identifier: GPL-3.0-or-later
# Another program under the bar's name on the session bus: it answers as a
# media player would, but it is not Murmelvox.
import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DBusGMainLoop(set_as_default=True)


class Squatter(dbus.service.Object):
    @dbus.service.method("org.mpris.MediaPlayer2.Player", in_signature="s")
    def OpenUri(self, uri):
        pass

    @dbus.service.method("org.mpris.MediaPlayer2")
    def Raise(self):
        pass


bus = dbus.SessionBus()
name = dbus.service.BusName("org.mpris.MediaPlayer2.murmelvox", bus)
Squatter(bus, "/org/mpris/MediaPlayer2")
GLib.MainLoop().run()

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <chrono>

// libdbus waits for the session bus's greeting with no deadline, and Qt asks
// for the bus from the GUI thread (the bar's player, the tray icon, the
// accessibility bridge, the portal): a bus that takes the connection and
// then never talks (a stopped daemon, a stray listener) would hang the
// program. Asked first, with a deadline, it can be left alone instead.

// The address libdbus connects to: DBUS_SESSION_BUS_ADDRESS, or the
// per-user bus's socket in the runtime folder; empty with neither.
QByteArray AnnouncedSessionBusAddress();

// True when the first local socket of `address` that takes a connection
// does not finish the greeting (authentication and Hello) within `within`.
// False when it does, and when there is nothing that could hang: no socket
// takes the connection (libdbus gives up at once too), or the address is
// not a local socket.
bool SessionBusIsSilent(const QByteArray &address, std::chrono::milliseconds within);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QWidget;

// The maker's web address, shown in the tray tip and on the panel.
inline const QString MakerAddress = QStringLiteral("https://kelvaro.example/murmelvox");

// The tray icon's tip: "Murmelvox - from Kelvaro", a line feed and the maker's
// address, cut or padded with blanks to exactly TrayTipLength characters.
constexpr int TrayTipLength = 64;
QString TrayTip(const QString &address = MakerAddress);

// Adds a tray icon with the window's icon and the tip; it leaves the tray
// when it is destroyed. Clicking it does nothing; its context menu (a
// right-click, owned by the window) offers Settings where `showSettings` is
// given. Where the desktop has no tray, nothing shows and start-up goes on.
std::unique_ptr<QSystemTrayIcon> AddTrayIcon(QWidget *window, const std::function<void()> &showSettings = {});

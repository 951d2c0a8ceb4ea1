#pragma once

#include <QString>

#include <functional>

class QSystemTrayIcon;
class QWidget;

// The maker's web address, shown in the tray tip and on the panel.
inline const QString MakerAddress = QStringLiteral("https://kelvaro.example/murmelvox");

// The tray icon's tip: "Murmelvox - from Kelvaro", a line feed and the maker's
// address, cut or padded with blanks to exactly TrayTipLength characters.
constexpr int TrayTipLength = 64;
QString TrayTip(const QString &address = MakerAddress);

// The tray icon, present from start-up until the exit button.
inline QSystemTrayIcon *TrayIconData = nullptr;

// Adds the tray icon with the window's icon and the tip. Clicking it does
// nothing; its context menu (a right-click) offers Settings where
// `showSettings` is given. Where the desktop has no tray, nothing shows and
// start-up goes on.
void AddTrayIcon(QWidget *window, const std::function<void()> &showSettings = {});

// Removes the tray icon from the tray at once.
void DeleteTrayIcon();

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// A compiled-in picture at the screen's density. `path` names the 1x file
// (":/images/panel.gif"); on a screen of twice the density its "@2x" twin is
// used, with the same size in logical pixels. Decoded once, then cached.
QPixmap ResourcePicture(const QString &path);
// The size in logical pixels ResourcePicture(path) will have, read from the
// file's header without decoding it.
QSize ResourcePictureSize(const QString &path);

// The program's icon (window, tray, Define Keys dialog) at every size drawn.
QIcon WindowIcon();

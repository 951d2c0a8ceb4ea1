// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

class QMimeData;

// What the file-name label shows for an opened file: the first 15 characters
// of its name (or of its path, after a drop) in lower case.
QString FileLabelCaption(const QString &nameOrPath);

// The file-name label's tool tip: the whole name or path between two blanks.
QString FileLabelToolTip(const QString &nameOrPath);

// The full local path of the first file in a drop; none when the drop carries
// no local file (dragged text, a web link).
std::optional<QString> FirstDroppedFile(const QMimeData *data);

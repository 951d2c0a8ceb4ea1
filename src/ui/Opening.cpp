// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "rules/FileLabel.h"
#include "ui/Opening.h"
#include "engine/Player.h"
#include "ui/PositionDisplay.h"

#include <QLabel>

// A file comes in through the open dialog or as a drop on the lower panel;
// either way the player opens it and the file-name label shows its name.

namespace {

const QString OpenDialogTitle = QStringLiteral("Murmelvox .::. Select a Voice file...");

} // namespace

void ShowWhetherFileOpen(QLabel *fileLabel, bool open)
{
    if (fileLabel->font().strikeOut() == !open)
        return;
    QFont font = fileLabel->font();
    font.setStrikeOut(!open);
    fileLabel->setFont(font);
    fileLabel->setAccessibleDescription(open ? QString() : QStringLiteral("The file could not be opened."));
}

void Bar::chooseFile()
{
    m_openDialog->title = OpenDialogTitle;
    const QString path = m_openDialog->choose(this);
    if (path.isEmpty())
        return;
    // Named by the file's name once the player has it (at once, or once it
    // has loaded), unless another file came first.
    m_positionDisplay->nameOnceOpened(path);
    m_player->open(path);
}

void Bar::openDroppedFile(const QMimeData *Data)
{
    const std::optional<QString> path = FirstDroppedFile(Data);
    if (!path)
        return;
    m_player->open(*path);
}

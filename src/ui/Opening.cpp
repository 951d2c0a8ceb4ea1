// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "rules/FileLabel.h"
#include "ui/Opening.h"
#include "engine/Player.h"

#include <QFileInfo>
#include <QLabel>

// A file comes in through the open dialog or as a drop on the lower panel;
// either way the player opens it and the file-name label shows its name.

namespace {

const QString OpenDialogTitle = QStringLiteral("Murmelvox .::. Select a Voice file...");

} // namespace

// Whoever opened it, the label names the file and shows at once whether it
// could be opened; the position tick keeps this up to date.
void Bar::showOpenedFile(const QString &path, bool opened)
{
    fileLabel->setToolTip(FileLabelToolTip(path));
    // The name, as the open dialog shows it: the start of a long path would
    // make every file of a folder look the same.
    fileLabel->setText(FileLabelCaption(QFileInfo(path).fileName()));
    ShowWhetherFileOpen(fileLabel, opened);
}

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
    openDialog->title = OpenDialogTitle;
    const QString path = openDialog->choose(this);
    if (path.isEmpty())
        return;
    // Named by the file's name once the player has it (at once, or once it
    // has loaded), unless another file came first.
    const QString name = QFileInfo(path).fileName();
    connect(player, &Player::fileChanged, this, [this, path, name] {
        if (player->file() != FilePath(path))
            return;
        fileLabel->setText(FileLabelCaption(name));
        fileLabel->setToolTip(FileLabelToolTip(name));
    }, Qt::SingleShotConnection);
    player->open(path);
}

void Bar::openDroppedFile(const QMimeData *Data)
{
    const std::optional<QString> path = FirstDroppedFile(Data);
    if (!path)
        return;
    player->open(*path);
}

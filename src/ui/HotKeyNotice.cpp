// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/HotKeyNotice.h"

#include "hotkeys/GlobalHotKeys.h"

#include <QMessageBox>
#include <QPointer>

void ShowHotKeyNotices(GlobalHotKeys &globalHotKeys)
{
    // One box: a newer notice replaces the text of one still open.
    globalHotKeys.setNotice([notice = QPointer<QMessageBox>()](const QString &text) mutable {
        if (!notice) {
            notice = new QMessageBox(QMessageBox::Warning, QStringLiteral("Murmelvox"), text, QMessageBox::Ok);
            notice->setAttribute(Qt::WA_DeleteOnClose);
            notice->setModal(false);
            // The bar stays on top of everything; the notice must not hide behind it.
            notice->setWindowFlag(Qt::WindowStaysOnTopHint);
            notice->setAccessibleName(QStringLiteral("Hot key not available"));
        }
        notice->setText(text);
        notice->setAccessibleDescription(text);
        notice->show();
    });
}

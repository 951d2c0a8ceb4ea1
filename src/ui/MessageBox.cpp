// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MessageHandler &handlerSlot()
{
    static MessageHandler handler;
    return handler;
}
} // namespace

void SetMessageHandler(MessageHandler handler)
{
    handlerSlot() = std::move(handler);
}

int ShowMessage(const QString &prompt, int style, const QString &title)
{
    if (handlerSlot())
        return handlerSlot()(prompt, style, title);

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(prompt);
    box.setAccessibleName(title);
    box.setAccessibleDescription(prompt);
    switch (style & 0x70) {
    case MessageStyle::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageStyle::Question: box.setIcon(QMessageBox::Question); break;
    case MessageStyle::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageStyle::Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    // The bar stays on top of everything; its boxes must not hide behind it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if ((style & 0x7) == MessageStyle::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((style & MessageStyle::DefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::OK;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MsgBoxHandler &handlerSlot()
{
    static MsgBoxHandler handler;
    return handler;
}
} // namespace

void SetMsgBoxHandler(MsgBoxHandler handler)
{
    handlerSlot() = std::move(handler);
}

int MsgBox(const QString &prompt, int style, const QString &title)
{
    if (handlerSlot())
        return handlerSlot()(prompt, style, title);

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(prompt);
    box.setAccessibleName(title);
    box.setAccessibleDescription(prompt);
    switch (style & 0x70) {
    case MsgBoxStyle::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgBoxStyle::Question: box.setIcon(QMessageBox::Question); break;
    case MsgBoxStyle::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgBoxStyle::Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    // The bar stays on top of everything; its boxes must not hide behind it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if ((style & 0x7) == MsgBoxStyle::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((style & MsgBoxStyle::DefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MsgBoxResult::Yes : MsgBoxResult::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgBoxResult::OK;
}

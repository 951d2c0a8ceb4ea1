// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Help.h"

#include "ui/Controls.h"

#include <QPainter>
#include <QPointer>
#include <QPushButton>

namespace {
QPointer<Help> &instance()
{
    static QPointer<Help> help;
    return help;
}
} // namespace

Help::Help()
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_picture(Picture())
{
    // Closing by "Close" or by the title bar's close box destroys the window.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Murmelvox Help"));
    setAccessibleName(QStringLiteral("Murmelvox Help"));
    setAccessibleDescription(tr("A picture of the bar with every control labelled, the defaults and the hot keys."));
    setFixedSize(Px(8235), Px(7380));
    setAttribute(Qt::WA_OpaquePaintEvent);

    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setAccessibleName(QStringLiteral("Close"));
    closeButton->setGeometry(Px(7080), Px(5880), Px(975), Px(375));
    // Neither default nor cancel button: Enter and Escape do nothing by themselves.
    closeButton->setAutoDefault(false);
    closeButton->setDefault(false);
    connect(closeButton, &QPushButton::clicked, this, &Help::closeHelp);
    setFocusProxy(closeButton);
}

Help *Help::ShowHelp()
{
    QPointer<Help> &help = instance();
    if (!help)
        help = new Help;
    help->show();
    help->raise();
    help->activateWindow();
    help->closeButton->setFocus(Qt::ActiveWindowFocusReason);
    return help;
}

Help *Help::Instance()
{
    return instance();
}

QPixmap Help::Picture()
{
    return QPixmap(QStringLiteral(":/help/help.jpg"));
}

void Help::closeHelp()
{
    close();
}

void Help::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    // Unscaled from the top-left corner; the picture's last row falls outside.
    painter.drawPixmap(0, 0, m_picture);
}

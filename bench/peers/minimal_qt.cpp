// SPDX-License-Identifier: GPL-3.0-or-later
// The floor any Qt 6 Widgets program pays: one plain window, shown at once.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("minimal Qt window"));
    w.resize(354, 18);
    w.show();
    return app.exec();
}

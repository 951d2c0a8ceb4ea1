// SPDX-License-Identifier: GPL-3.0-or-later
// A plain Qt 6 window that shows one line of text, as any bar with a time
// label does: the floor plus what loading the fonts costs.
#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel w(QStringLiteral("0:0/0:0"));
    w.setWindowTitle(QStringLiteral("Qt window with text"));
    w.resize(354, 18);
    w.show();
    return app.exec();
}

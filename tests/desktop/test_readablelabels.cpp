// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader gets from the bar's labels: the name they were given,
// and what they show as their text.
#include "ui/ReadableLabels.h"
#include "ui/Controls.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

class TestReadableLabels : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InstallReadableLabels(); }

    void captionIsTheText_data()
    {
        QTest::addColumn<bool>("clickable");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("expectedName");
        QTest::newRow("named label") << false << "Position in seconds" << "65.37" << "Position in seconds";
        QTest::newRow("label without a name is named by its caption") << false << "" << "Pitch 1" << "Pitch 1";
        QTest::newRow("time label that acts as a button") << true << "Time" << "2:5 / 12:40" << "Time";
        QTest::newRow("empty caption") << false << "File name" << "" << "File name";
        QTest::newRow("non-ASCII caption") << false << "File name" << "grüße ünïcödé.w" << "File name";
    }
    void captionIsTheText()
    {
        QFETCH(bool, clickable);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, expectedName);
        QWidget window;
        QLabel *label = clickable ? new ClickLabel(&window) : new QLabel(&window);
        label->setAccessibleName(name);
        label->setText(caption);
        window.show();

        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(label);
        QVERIFY(a);
        QCOMPARE(a->text(QAccessible::Name), expectedName);
        QCOMPARE(a->role(), clickable ? QAccessible::Button : QAccessible::StaticText);
        QAccessibleTextInterface *text = a->textInterface();
        QVERIFY(text);
        QCOMPARE(text->characterCount(), int(caption.size()));
        QCOMPARE(text->text(0, text->characterCount()), caption);
        QCOMPARE(text->text(0, -1), caption);
        QCOMPARE(text->text(-5, 1000), caption);   // out of range: clamped, never a crash

        // The text follows the caption.
        label->setText(caption + QStringLiteral("!"));
        QCOMPARE(text->text(0, -1), caption + QStringLiteral("!"));
    }

    void clickLabelPressActionClicks()
    {
        QWidget window;
        auto *label = new ClickLabel(QStringLiteral("\u25B2"), &window);
        label->setAccessibleName(QStringLiteral("Pitch up"));
        window.show();
        QSignalSpy clicked(label, &ClickLabel::clicked);
        QAccessibleActionInterface *action = QAccessible::queryAccessibleInterface(label)->actionInterface();
        QVERIFY(action);
        QVERIFY(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
        action->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.size(), 1);
        label->setEnabled(false);
        action->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.size(), 1);
    }
};

QTEST_MAIN(TestReadableLabels)
#include "test_readablelabels.moc"

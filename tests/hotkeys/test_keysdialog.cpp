// SPDX-License-Identifier: GPL-3.0-or-later
// The Define Keys dialog against a real settings file, offscreen.
#include "HotKeyRig.h"
#include "hotkeys/GlobalHotKeys.h"
#include "rules/KeyAssignments.h"
#include "ui/KeysDialog.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "rules/SettingsStore.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
struct Shown {
    QString prompt;
    int style;
    QString title;
};
} // namespace

class TestKeysDialog : public QObject
{
    Q_OBJECT
    QWidget *bar = nullptr;
    std::unique_ptr<HotKeyRig> rig;
    std::unique_ptr<GlobalHotKeys> globalHotKeys;
    QList<Shown> boxes;

    QByteArray storeBytes()
    {
        QFile f(SettingsStore().filePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList shownNames(KeysDialog *k)
    {
        return {k->fullRewindList->currentText(), k->fastRewindList->currentText(), k->playPauseList->currentText(), k->fastForwardList->currentText()};
    }
    // Closes whatever is open and lets the deferred delete run.
    void flushClosed()
    {
        if (KeysDialog::Instance())
            KeysDialog::Instance()->close();
        QTRY_VERIFY(!KeysDialog::Instance());
    }

private slots:
    void init()
    {
        QFile::remove(SettingsStore().filePath());
        boxes.clear();
        SetMessageHandler([this](const QString &prompt, int style, const QString &title) {
            boxes.append({prompt, style, title});
            return MessageAnswer::OK;
        });
        bar = new QWidget(nullptr, Qt::FramelessWindowHint);
        bar->setGeometry(100, 0, 350, Px(275));
        bar->show();
        // The hot keys the dialog's "Set" reloads (no grabs offscreen).
        rig = std::make_unique<HotKeyRig>();
        globalHotKeys = std::make_unique<GlobalHotKeys>();
        globalHotKeys->takeKeys(&rig->hotKeys);
    }
    QStringList bound() const
    {
        QStringList names;
        for (FunctionKey key : rig->hotKeys.bindings())
            names.append(NameOf(key));
        return names;
    }
    void cleanup()
    {
        flushClosed();
        globalHotKeys.reset();
        rig.reset();
        delete bar;
        SetMessageHandler({});
    }

    void windowAndControls()
    {
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        QCOMPARE(k->windowTitle(), QStringLiteral("Murmelvox - Define Keys"));
        QCOMPARE(k->size(), QSize(176, 144));
        QCOMPARE(k->minimumSize(), k->maximumSize());
        const Qt::WindowFlags flags = k->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!k->parentWidget()); // no owner
        QCOMPARE(k->focusWidget(), k->fullRewindList);
        QCOMPARE(k->fullRewindLabel->text(), QStringLiteral("Full Rewind"));
        QCOMPARE(k->fastRewindLabel->text(), QStringLiteral("Fast Rewind"));
        QCOMPARE(k->playPauseLabel->text(), QStringLiteral("Play/Pause"));
        QCOMPARE(k->fastForwardLabel->text(), QStringLiteral("Fast Forward"));
        QCOMPARE(k->setButton->text(), QStringLiteral("Set"));
        QCOMPARE(k->cancelButton->text(), QStringLiteral("Cancel"));
        QCOMPARE(k->defaultButton->text(), QStringLiteral("Default"));
        QCOMPARE(k->frame->title(), QString());
        QCOMPARE(k->fullRewindList->geometry(), QRect(Px(1080), Px(210), Px(735), Px(315)));
        QCOMPARE(k->cancelButton->geometry(), QRect(Px(1560), Px(1560), Px(735), Px(375)));
        QVERIFY(k->iconLabel->toolTip().startsWith(QStringLiteral("Murmelvox - from Kelvaro - ")));
        QStringList expected;
        for (int n = 1; n <= 12; ++n)
            expected << QStringLiteral("F%1").arg(n);
        for (QComboBox *c : {k->fullRewindList, k->fastRewindList, k->playPauseList, k->fastForwardList}) {
            QVERIFY(!c->isEditable());
            QStringList items;
            for (int i = 0; i < c->count(); ++i)
                items << c->itemText(i);
            QCOMPARE(items, expected);
        }
        for (QWidget *w : k->findChildren<QWidget *>()) {
            if (qobject_cast<QComboBox *>(w) || qobject_cast<QPushButton *>(w))
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
        // Neither Enter nor Escape belongs to a button.
        for (QPushButton *b : {k->setButton, k->cancelButton, k->defaultButton})
            QVERIFY(!b->isDefault() && !b->autoDefault());
    }

    void opensWithStoredNames_data()
    {
        QTest::addColumn<QStringList>("stored"); // "-" = absent
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("empty store") << QStringList{"-", "-", "-", "-"} << QStringList{"F4", "F5", "F6", "F8"};
        QTest::newRow("stored names") << QStringList{"F1", "F12", "F10", "F2"} << QStringList{"F1", "F12", "F10", "F2"};
        // Such a name unbinds its action, and the list shows no key.
        QTest::newRow("hand-edited names show no key")
            << QStringList{"F13", "F5", "f6", ""} << QStringList{"", "F5", "", ""};
    }
    void opensWithStoredNames()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, shown);
        const char *keys[] = {"FuR", "FR", "PP", "FF"};
        for (int i = 0; i < 4; ++i) {
            if (stored[i] != QLatin1String("-"))
                SettingsStore().setValue(QLatin1String(keys[i]), stored[i]);
        }
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        QCOMPARE(shownNames(k), shown);
        // An unbound row says why, and what to do.
        const QComboBox *combos[] = {k->fullRewindList, k->fastRewindList, k->playPauseList, k->fastForwardList};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(combos[i]->toolTip().isEmpty(), !shown[i].isEmpty());
            if (shown[i].isEmpty())
                QVERIFY2(combos[i]->toolTip().contains(QLatin1Char('"') + stored[i] + QLatin1Char('"')),
                         qPrintable(combos[i]->toolTip()));
        }
    }

    void captionsShowWhole()
    {
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        for (QLabel *label : {k->fullRewindLabel, k->fastRewindLabel, k->playPauseLabel, k->fastForwardLabel}) {
            const qreal needed = QFontMetricsF(label->font()).horizontalAdvance(label->text());
            QVERIFY2(needed <= label->contentsRect().width(),
                     qPrintable(QStringLiteral("%1 needs %2 px of %3").arg(label->text()).arg(needed)
                                    .arg(label->contentsRect().width())));
            QCOMPARE(label->geometry().width(), Px(975));
        }
    }

    void oneInstanceAndMainWindowDisabled()
    {
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        QVERIFY(!bar->isEnabled());
        QCOMPARE(KeysDialog::Show(bar, *globalHotKeys), k);
        QCOMPARE(KeysDialog::Instance(), k);
    }

    void duplicatesAreRefused_data()
    {
        QTest::addColumn<int>("rowA");
        QTest::addColumn<int>("rowB");
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                QTest::addRow("rows %d and %d", a + 1, b + 1) << a << b;
    }
    void duplicatesAreRefused()
    {
        QFETCH(int, rowA);
        QFETCH(int, rowB);
        SettingsStore().setValue(QStringLiteral("FF"), QStringLiteral("F12"));
        const QByteArray before = storeBytes();
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        QComboBox *combos[] = {k->fullRewindList, k->fastRewindList, k->playPauseList, k->fastForwardList};
        combos[rowB]->setCurrentIndex(combos[rowA]->currentIndex());
        const QStringList chosen = shownNames(k);
        QTest::mouseClick(k->setButton, Qt::LeftButton);
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].prompt, QStringLiteral("Duplicate Keys, Change!"));
        QCOMPARE(boxes[0].style, MessageStyle::OKOnly);
        QCOMPARE(boxes[0].title, QStringLiteral("Murmelvox"));
        QCOMPARE(storeBytes(), before);
        QCOMPARE(KeysDialog::Instance(), k);
        QVERIFY(k->isVisible());
        QCOMPARE(shownNames(k), chosen);
        QVERIFY(!bar->isEnabled());
    }

    void defaultThenCancelWritesNothing()
    {
        SettingsStore().setValue(QStringLiteral("PP"), QStringLiteral("F9"));
        const QByteArray before = storeBytes();
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        QTest::mouseClick(k->defaultButton, Qt::LeftButton);
        QCOMPARE(shownNames(k), (QStringList{"F4", "F5", "F6", "F8"}));
        QTest::mouseClick(k->cancelButton, Qt::LeftButton);
        QTRY_VERIFY(!KeysDialog::Instance());
        QCOMPARE(storeBytes(), before);
        QVERIFY(bar->isEnabled());
    }

    void defaultThenSetWritesDefaults()
    {
        SettingsStore().setValue(QStringLiteral("FuR"), QStringLiteral("F1"));
        SettingsStore().setValue(QStringLiteral("PP"), QStringLiteral("F9"));
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        QTest::mouseClick(k->defaultButton, Qt::LeftButton);
        QTest::mouseClick(k->setButton, Qt::LeftButton);
        QVERIFY(boxes.isEmpty());
        QCOMPARE(SettingsStore().value(QStringLiteral("FuR"), {}), QStringLiteral("F4"));
        QCOMPARE(SettingsStore().value(QStringLiteral("FR"), {}), QStringLiteral("F5"));
        QCOMPARE(SettingsStore().value(QStringLiteral("PP"), {}), QStringLiteral("F6"));
        QCOMPARE(SettingsStore().value(QStringLiteral("FF"), {}), QStringLiteral("F8"));
        QCOMPARE(bound(), (QStringList{"F4", "F5", "F6", "F8"}));
        QTRY_VERIFY(!KeysDialog::Instance());
        QVERIFY(bar->isEnabled());
    }

    void setF9ForPlayPauseActsAtOnce()
    {
        globalHotKeys->reloadKeyAssignments(SettingsStore());
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        k->playPauseList->setCurrentIndex(8);
        QTest::mouseClick(k->setButton, Qt::LeftButton);
        QCOMPARE(SettingsStore().value(QStringLiteral("PP"), {}), QStringLiteral("F9"));
        QCOMPARE(bound(), (QStringList{"F4", "F5", "F9", "F8"}));
        QTRY_VERIFY(!KeysDialog::Instance());
        QVERIFY(bar->isEnabled());
    }

    void closeBoxEnablesMainWindowAndWritesNothing()
    {
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        k->fullRewindList->setCurrentIndex(0);
        QVERIFY(!bar->isEnabled());
        k->close(); // what the title bar's close box does
        QTRY_VERIFY(!KeysDialog::Instance());
        QVERIFY(bar->isEnabled());
        QVERIFY(!QFile::exists(SettingsStore().filePath()));
    }

    // Every opening rebuilds the lists from the store.
    void reopeningShowsTheStoreAgain()
    {
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        k->fullRewindList->setCurrentIndex(0);
        k->close();
        QTRY_VERIFY(!KeysDialog::Instance());
        QCOMPARE(shownNames(KeysDialog::Show(bar, *globalHotKeys)), (QStringList{"F4", "F5", "F6", "F8"}));
    }

    void placedUnderTheBar_data()
    {
        QTest::addColumn<int>("barHeightTwips");
        QTest::newRow("collapsed") << 275;
        QTest::newRow("expanded") << 2090;
    }
    void placedUnderTheBar()
    {
        QFETCH(int, barHeightTwips);
        bar->resize(bar->width(), Px(barHeightTwips));
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        QCOMPARE(k->frameGeometry().top(), Px(barHeightTwips));
        const QRect screen = bar->screen()->geometry();
        QCOMPARE(k->frameGeometry().left(), screen.width() - k->frameGeometry().width() - Px(1000));
    }

    void storeThatCannotBeWrittenIsReported()
    {
        // A directory where the settings file belongs makes every write fail.
        QFile::remove(SettingsStore().filePath());
        QVERIFY(QDir().mkpath(SettingsStore().filePath()));
        KeysDialog *k = KeysDialog::Show(bar, *globalHotKeys);
        QTest::mouseClick(k->setButton, Qt::LeftButton);
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].prompt.contains(QStringLiteral("could not be saved")));
        QCOMPARE(KeysDialog::Instance(), k);
        QVERIFY(QDir().rmdir(SettingsStore().filePath()));
    }
};

QTEST_MAIN(TestKeysDialog)
#include "test_keysdialog.moc"

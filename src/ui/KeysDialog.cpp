// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/KeysDialog.h"

#include "hotkeys/GlobalHotKeys.h"
#include "rules/HotKeyActions.h"
#include "rules/KeyAssignments.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "rules/SettingsStore.h"
#include "ui/TrayIcon.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <array>

namespace {

QPointer<KeysDialog> instance;

// Where each action's row sits, in the order of the action table.
struct RowPlace {
    int labelTop;
    int comboTop;
};
constexpr std::array<RowPlace, HotKeyActions.size()> RowPlaces{{{240, 210}, {630, 600}, {870, 840}, {1110, 1080}}};

QString SettingsKeyOf(size_t row)
{
    return QString::fromLatin1(HotKeyActions[row].settingsKey);
}

QString DefaultKeyOf(size_t row)
{
    return QString::fromLatin1(HotKeyActions[row].defaultKey);
}

// The list position of a row's default key (F1 is the first).
int DefaultIndexOf(size_t row)
{
    return OffsetOf(*FunctionKeyNamed(DefaultKeyOf(row)));
}

void Place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

// The captions were laid out for a narrow dialog face; a wider face that the
// desktop substitutes would cut "Full Rewind" short. Shrink the caption's
// type until it fits its box, rather than move the box.
void FitCaption(QLabel *label)
{
    QFont font = label->font();
    const qreal room = label->contentsRect().width();
    if (font.pointSizeF() <= 0) // sized in pixels: go on in points
        font.setPointSizeF(QFontInfo(font).pointSizeF());
    while (QFontMetricsF(font).horizontalAdvance(label->text()) > room && font.pointSizeF() > 5)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    if (QFontMetricsF(font).horizontalAdvance(label->text()) <= room && font != label->font())
        label->setFont(font);
}

} // namespace

KeysDialog *KeysDialog::Show(QWidget *mainWindow, GlobalHotKeys &globalHotKeys, SettingsStore settings)
{
    if (!instance) {
        instance = new KeysDialog(mainWindow, globalHotKeys, settings);
        instance->load();
        instance->show();
        // Its outer width is known once it is shown.
        instance->PlaceUnderBar();
    } else {
        instance->raise();
    }
    instance->activateWindow();
    return instance;
}

KeysDialog *KeysDialog::Instance()
{
    return instance;
}

KeysDialog::KeysDialog(QWidget *mainWindow, GlobalHotKeys &globalHotKeys, SettingsStore settings)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow),
      m_globalHotKeys(&globalHotKeys),
      m_settings(settings)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Murmelvox - Define Keys"));
    setAccessibleName(QStringLiteral("Murmelvox - Define Keys"));
    setFixedSize(Px(2640), Px(2160));

    frame = new QGroupBox(this);
    frame->setAccessibleName(QStringLiteral("Hot keys"));
    Place(frame, 120, 0, 2415, 2055);

    std::array<QLabel **, 4> labels{&fullRewindLabel, &fastRewindLabel, &playPauseLabel, &fastForwardLabel};
    std::array<QComboBox **, 4> combos{&fullRewindList, &fastRewindList, &playPauseList, &fastForwardList};
    for (size_t i = 0; i < HotKeyActions.size(); ++i) {
        const QString caption = QString::fromLatin1(HotKeyActions[i].caption);
        QLabel *label = *labels[i] = new QLabel(caption, frame);
        Place(label, 120, RowPlaces[i].labelTop, 975, 255);
        FitCaption(label);
        QComboBox *combo = *combos[i] = new QComboBox(frame);
        combo->setEditable(false);
        combo->setAccessibleName(caption + QStringLiteral(" key"));
        combo->setPlaceholderText(QStringLiteral("none"));
        Place(combo, 1080, RowPlaces[i].comboTop, 735, 315);
        label->setBuddy(combo);
    }

    setButton = new QPushButton(QStringLiteral("Set"), frame);
    Place(setButton, 1080, 1560, 495, 375);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), frame);
    Place(cancelButton, 1560, 1560, 735, 375);
    defaultButton = new QPushButton(QStringLiteral("Default"), frame);
    Place(defaultButton, 120, 1680, 735, 255);
    for (QPushButton *b : {setButton, cancelButton, defaultButton}) {
        b->setAccessibleName(b->text());
        b->setAutoDefault(false);
    }

    iconLabel = new QLabel(frame);
    const QPixmap icon = (mainWindow ? mainWindow->windowIcon() : QIcon()).pixmap(32, 32);
    iconLabel->setPixmap(icon);
    iconLabel->move(Px(1920), Px(120));
    iconLabel->setFixedSize(32, 32);
    iconLabel->setToolTip(QStringLiteral("Murmelvox - from Kelvaro - ") + MakerAddress);
    iconLabel->setAccessibleName(QStringLiteral("Murmelvox - from Kelvaro"));

    QWidget::setTabOrder(fullRewindList, fastRewindList);
    QWidget::setTabOrder(fastRewindList, playPauseList);
    QWidget::setTabOrder(playPauseList, fastForwardList);
    QWidget::setTabOrder(fastForwardList, setButton);
    QWidget::setTabOrder(setButton, cancelButton);
    QWidget::setTabOrder(cancelButton, defaultButton);

    connect(setButton, &QPushButton::clicked, this, &KeysDialog::setKeys);
    connect(cancelButton, &QPushButton::clicked, this, &KeysDialog::cancel);
    connect(defaultButton, &QPushButton::clicked, this, &KeysDialog::selectDefaults);
    connect(&globalHotKeys, &GlobalHotKeys::triggersChanged, this, &KeysDialog::showNotes);
}

// Just under the right-hand part of the bar, whatever its height now.
void KeysDialog::PlaceUnderBar()
{
    if (!m_mainWindow)
        return;
    const QRect bar = m_mainWindow->frameGeometry();
    const QScreen *screen = m_mainWindow->screen();
    const QRect area = screen ? screen->geometry() : QRect();
    move(area.x() + area.width() - frameGeometry().width() - Px(1000), bar.y() + bar.height());
}

void KeysDialog::load()
{
    PlaceUnderBar();
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);

    for (QComboBox *combo : {fullRewindList, fastRewindList, playPauseList, fastForwardList})
        combo->clear();
    for (int n = 1; n <= 12; ++n) {
        for (QComboBox *combo : {fullRewindList, fastRewindList, playPauseList, fastForwardList})
            combo->addItem(QLatin1Char('F') + QString::number(n));
    }

    // A hand-edited name that is no function key leaves its action unbound;
    // the list shows exactly that: no key chosen, and why.
    const std::array<QComboBox *, 4> combos{fullRewindList, fastRewindList, playPauseList, fastForwardList};
    for (size_t i = 0; i < HotKeyActions.size(); ++i) {
        const QString name = m_settings.value(SettingsKeyOf(i), DefaultKeyOf(i));
        const int index = combos[i]->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        combos[i]->setCurrentIndex(index);
        m_nameNotes[i] = index >= 0 ? QString()
                                    : QStringLiteral("No key: the stored name \"%1\" is not one of F1 to F12. "
                                                     "Choose a key and press \"Set\".").arg(name);
    }
    showNotes();
    fullRewindList->setFocus();
}

// Each row's notes, in its tooltips: a stored name that is no key, and where
// the desktop owns the keys, the key it finally runs the action with.
void KeysDialog::showNotes()
{
    const std::array<QComboBox *, 4> combos{fullRewindList, fastRewindList, playPauseList, fastForwardList};
    const std::array<QLabel *, 4> labels{fullRewindLabel, fastRewindLabel, playPauseLabel, fastForwardLabel};
    for (size_t i = 0; i < HotKeyActions.size(); ++i) {
        QStringList notes;
        if (!m_nameNotes[i].isEmpty())
            notes.append(m_nameNotes[i]);
        if (m_globalHotKeys && m_globalHotKeys->desktopOwnsKeys() && m_nameNotes[i].isEmpty()) {
            const QString caption = QString::fromLatin1(HotKeyActions[i].caption);
            const std::optional<QString> trigger = m_globalHotKeys->desktopTriggerOf(HotKeyActions[i].action);
            if (!trigger)
                notes.append(QStringLiteral("The desktop has given %1 no key.").arg(caption));
            else if (trigger->isEmpty())
                notes.append(QStringLiteral("The desktop runs %1 with a key it does not name.").arg(caption));
            else
                notes.append(QStringLiteral("The desktop runs %1 with: %2").arg(caption, *trigger));
        }
        const QString note = notes.join(QLatin1Char('\n'));
        combos[i]->setToolTip(note);
        combos[i]->setAccessibleDescription(note);
        labels[i]->setToolTip(note);
    }
}

void KeysDialog::setKeys()
{
    const std::array<QString, 4> names{fullRewindList->currentText(), fastRewindList->currentText(), playPauseList->currentText(),
                                       fastForwardList->currentText()};
    for (size_t a = 0; a < names.size(); ++a) {
        for (size_t b = a + 1; b < names.size(); ++b) {
            if (names[a] == names[b]) {
                ShowMessage(QStringLiteral("Duplicate Keys, Change!"), MessageStyle::OKOnly, QStringLiteral("Murmelvox"));
                return;
            }
        }
    }
    bool saved = true;
    for (size_t i = 0; i < HotKeyActions.size(); ++i)
        saved = m_settings.setValue(SettingsKeyOf(i), names[i]) && saved;
    // The hot keys follow what the store holds, saved or not.
    if (m_globalHotKeys)
        m_globalHotKeys->reloadKeyAssignments(m_settings);
    if (!saved) {
        ShowMessage(m_settings.notSavedText(QStringLiteral("keys")),
                    MessageStyle::Critical, QStringLiteral("Murmelvox"));
        return;
    }
    cancel();
}

void KeysDialog::cancel()
{
    close();
}

void KeysDialog::selectDefaults()
{
    const std::array<QComboBox *, 4> combos{fullRewindList, fastRewindList, playPauseList, fastForwardList};
    for (size_t i = 0; i < combos.size(); ++i)
        combos[i]->setCurrentIndex(DefaultIndexOf(i));
}

void KeysDialog::unload()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
}

void KeysDialog::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}

#include "moc_KeysDialog.cpp"

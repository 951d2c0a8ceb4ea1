// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/SettingsStore.h"

#include <QPointer>
#include <QWidget>
#include <array>

class GlobalHotKeys;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The Define Keys dialog: binds Full Rewind, Fast Rewind, Play/Pause and
// Fast Forward to the function keys. Shown modeless and without an owner,
// it disables the main window while it is open, as a modal dialog would,
// and the hot keys keep working meanwhile.
class KeysDialog : public QWidget
{
    Q_OBJECT
public:
    // Shows the one dialog, creating it if needed. Its "Set" reloads the
    // assignments into `globalHotKeys`, and where the desktop owns the keys
    // its tooltips name the desktop's triggers.
    static KeysDialog *Show(QWidget *mainWindow, GlobalHotKeys &globalHotKeys, SettingsStore settings = {});
    // The open dialog, or null.
    static KeysDialog *Instance();

    QGroupBox *frame = nullptr;
    QLabel *fullRewindLabel = nullptr;
    QComboBox *fullRewindList = nullptr;
    QLabel *fastRewindLabel = nullptr;
    QComboBox *fastRewindList = nullptr;
    QLabel *playPauseLabel = nullptr;
    QComboBox *playPauseList = nullptr;
    QLabel *fastForwardLabel = nullptr;
    QComboBox *fastForwardList = nullptr;
    QPushButton *setButton = nullptr; // "Set"
    QPushButton *cancelButton = nullptr; // "Cancel"
    QPushButton *defaultButton = nullptr; // "Default"
    QLabel *iconLabel = nullptr;

    void setKeys();
    void cancel();
    void selectDefaults();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    KeysDialog(QWidget *mainWindow, GlobalHotKeys &globalHotKeys, SettingsStore settings);
    void load();
    void PlaceUnderBar();
    void unload();
    void showNotes();

    QPointer<QWidget> m_mainWindow;
    QPointer<GlobalHotKeys> m_globalHotKeys;
    SettingsStore m_settings;
    std::array<QString, 4> m_nameNotes; // per row: why the stored key name is no key
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/SettingsStore.h"

#include <QList>
#include <QObject>
#include <QPointer>

class GlobalHotKeys;
class QLabel;
class QPushButton;
class QWidget;

// The panel's right-hand buttons, Keys and Help, and the maker's mark with
// its tooltip: laid out on the panel, opening the Define Keys dialog under
// the bar and the help window. Others find the controls by name
// ("keysButton", "helpButton", "makerLabel").
class KeysAndHelpView : public QObject
{
    Q_OBJECT
public:
    KeysAndHelpView(QWidget *panel, QWidget *bar, GlobalHotKeys &globalHotKeys, SettingsStore settings);

    QList<QWidget *> tabOrder() const;
    QList<QWidget *> backdrop() const;

public slots:
    void showKeys();
    void showHelp();

private:
    QPointer<QWidget> m_bar;
    GlobalHotKeys &m_globalHotKeys;
    SettingsStore m_settings;
    QPushButton *m_keysButton;
    QPushButton *m_helpButton;
    QLabel *m_makerLabel;
};

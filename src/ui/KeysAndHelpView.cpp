// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/KeysAndHelpView.h"

#include "ui/Help.h"
#include "ui/KeysDialog.h"
#include "ui/PanelLayout.h"
#include "ui/TrayIcon.h"

#include <QPushButton>

KeysAndHelpView::KeysAndHelpView(QWidget *panel, QWidget *bar, GlobalHotKeys &globalHotKeys, SettingsStore settings)
    : QObject(panel), m_bar(bar), m_globalHotKeys(globalHotKeys), m_settings(settings)
{
    setObjectName(QStringLiteral("keysAndHelp"));
    auto button = [panel](const char *name, const char *text, const char *role, int top) {
        auto *b = new QPushButton(QLatin1String(text), panel);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(QLatin1String(role));
        b->setAutoDefault(false);
        PlaceTwips(b, 4440, top, 615, 255);
        return b;
    };
    m_keysButton = button("keysButton", "Keys", "Define keys", 600);
    m_helpButton = button("helpButton", "Help", "Help", 840);

    m_makerLabel = TransparentLabel<QLabel>(panel, QString());
    m_makerLabel->setObjectName(QStringLiteral("makerLabel"));
    m_makerLabel->setAccessibleName(QStringLiteral("Kelvaro"));
    m_makerLabel->setToolTip(QStringLiteral("Murmelvox - from Kelvaro - ") + MakerAddress);
    PlaceTwips(m_makerLabel, 480, 1560, 1095, 135);

    connect(m_keysButton, &QPushButton::clicked, this, &KeysAndHelpView::showKeys);
    connect(m_helpButton, &QPushButton::clicked, this, &KeysAndHelpView::showHelp);
}

QList<QWidget *> KeysAndHelpView::tabOrder() const
{
    return {m_keysButton, m_helpButton};
}

QList<QWidget *> KeysAndHelpView::backdrop() const
{
    return {m_makerLabel};
}

void KeysAndHelpView::showKeys()
{
    KeysDialog::Show(m_bar, m_globalHotKeys, m_settings);
}

void KeysAndHelpView::showHelp()
{
    Help::ShowHelp();
}

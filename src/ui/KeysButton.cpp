// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/KeysDialog.h"
#include "ui/Bar.h"

void Bar::showKeys()
{
    KeysDialog::Show(this, *globalHotKeys, m_settings);
}

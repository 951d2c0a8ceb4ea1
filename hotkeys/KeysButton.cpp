// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/KeysDialog.h"
#include "shell/Bar.h"

void Bar::showKeys()
{
    KeysDialog::Show(this, *globalHotKeys);
}

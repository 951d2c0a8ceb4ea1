#include "hotkeys/KeysDialog.h"
#include "shell/Bar.h"

void Bar::showKeys()
{
    KeysDialog::Show(this, *globalHotKeys);
}

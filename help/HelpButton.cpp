// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/Help.h"
#include "shell/Bar.h"

void Bar::showHelp()
{
    Help::ShowHelp();
}

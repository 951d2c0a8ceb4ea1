// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Help.h"
#include "ui/Bar.h"

void Bar::showHelp()
{
    Help::ShowHelp();
}

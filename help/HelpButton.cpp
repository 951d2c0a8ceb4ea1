#include "help/Help.h"
#include "shell/Bar.h"

void Bar::showHelp()
{
    Help::ShowHelp();
}

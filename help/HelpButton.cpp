#include "help/Help.h"
#include "shell/Form1.h"

void Form1::Command5_Click()
{
    Help::ShowHelp();
}

#include "hotkeys/Keys.h"
#include "shell/Form1.h"

void Form1::Command4_Click()
{
    Keys::Show(this);
}

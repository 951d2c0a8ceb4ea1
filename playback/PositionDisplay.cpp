#include "shell/Form1.h"

// Placeholder until this subsystem lands; replaced wholesale by its owner.

void Form1::Timer1_Timer() {}
void Form1::Label2_DblClick() {}

#include "shell/Form1.h"

// Placeholder until this subsystem lands; replaced wholesale by its owner.

void Form1::Combo1_Click() {}
void Form1::Command1_Click() {}
void Form1::Command2_Click() {}
void Form1::Command3_Click() {}

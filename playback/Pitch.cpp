#include "shell/Form1.h"

// Placeholder until this subsystem lands; replaced wholesale by its owner.

void Form1::Label4_Click() {}
void Form1::Label5_Click() {}
void Form1::Picture8_MouseDown(int, int, float, float) {}
void Form1::Picture8_MouseMove(int, int, float, float) {}
void Form1::Picture8_DblClick() {}

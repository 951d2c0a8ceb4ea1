#include "shell/Form1.h"

// Placeholder until this subsystem lands; replaced wholesale by its owner.

void Form1::Picture9_MouseDown(int, int, float, float) {}
void Form1::Picture9_MouseMove(int, int, float, float) {}
void Form1::Picture9_DblClick() {}

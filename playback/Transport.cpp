#include "shell/Form1.h"

// Placeholder until this subsystem lands; replaced wholesale by its owner.

void Form1::Picture1_Click() {}
void Form1::Picture2_Click() {}
void Form1::Picture3_Click() {}
void Form1::Picture1_MouseDown(int, int, float, float) {}
void Form1::Picture1_MouseUp(int, int, float, float) {}
void Form1::Picture2_MouseDown(int, int, float, float) {}
void Form1::Picture2_MouseUp(int, int, float, float) {}
void Form1::Picture3_MouseDown(int, int, float, float) {}
void Form1::Picture3_MouseUp(int, int, float, float) {}
void Form1::Picture4_MouseDown(int, int, float, float) {}
void Form1::Picture4_MouseUp(int, int, float, float) {}
void Form1::Picture5_MouseDown(int, int, float, float) {}
void Form1::Picture5_MouseUp(int, int, float, float) {}
void Form1::Picture6_MouseDown(int, int, float, float) {}
void Form1::Picture6_MouseUp(int, int, float, float) {}

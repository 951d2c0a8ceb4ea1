#include "shell/Form1.h"

// Placeholder until this subsystem lands; replaced wholesale by its owner.

void Form1::Picture5_Click() {}
void Form1::Picture7_OLEDragDrop(const QMimeData *) {}

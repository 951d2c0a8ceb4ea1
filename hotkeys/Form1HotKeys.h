#pragma once

class Form1;

// Installs the keyboard hook acting on the bar's player and transport buttons.
void InstallKeyboardHook(Form1 *form);

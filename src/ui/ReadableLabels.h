// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Screen readers read a label's name and, through its text, what it shows.
// A label given an accessible name ("Time", "Position in seconds") would
// otherwise hide its caption ("2:5 / 12:40", "125.7") behind that name.
// Installs the accessibility factory that makes every label on the bar (and
// the labels that act as buttons) expose its caption as text; call once,
// after QApplication exists.
void InstallReadableLabels();

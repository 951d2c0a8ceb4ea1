// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLabel;

// Strikes the file-name label through while the file it names is not open in
// the player (it could not be played, or went away), so the user can tell.
void ShowWhetherFileOpen(QLabel *fileLabel, bool open);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class Bar;

// The program's entry point after QApplication exists: prepares the
// process-wide state, creates and shows the bar. Returns the bar, which
// lives until the exit button ends the program.
Bar *startup();

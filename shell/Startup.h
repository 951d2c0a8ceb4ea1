#pragma once

#include <QString>

// Process-wide state set up by start-up.

// Whether the time display shows elapsed (true) or remaining (false) time.
inline bool ShowElapsed = false;

// Full path of the bookmark file, fixed for the whole run.
inline QString BookmarkPath;

// Wind count in twips along the wind-count track; the hot keys wind by
// WindCount / 150 whole seconds.
inline float WindCount = 0;

// The wind hot keys' jump now, in whole seconds.
double WindStep();

class Bar;

// The program's entry point after QApplication exists: prepares the
// process-wide state, creates and shows the bar. Returns the bar, which
// lives until the exit button ends the program.
Bar *startup();

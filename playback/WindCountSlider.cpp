#include "shell/Form1.h"

#include "playback/Sliders.h"
#include "shell/Module1.h"
#include "shell/SettingsStore.h"

#include <QLabel>

// The wind-count track: a press at X fills the track up to X and sets (and
// stores) WindCount, from which the wind hot keys take their jump. The
// track's value is the wind count.

void Form1::Picture9_MouseDown(int, int, float X, float)
{
    const WindCountPlan plan = PlanWindCount(X);
    Picture9->setValue(TrackFill(plan.lines));
    WindCount = plan.windCount;
    Label9->setText(WindCountFinalCaption(WindCount));
    // A write costs a file replacement; the same value (every start-up, a
    // press where the bar already ends) need not be written again.
    const QString stored = WindCountStoredText(WindCount);
    if (GetSetting(QStringLiteral("WindCount"), QString()) != stored)
        SaveSetting(QStringLiteral("WindCount"), stored);
}

void Form1::Picture9_MouseMove(int Button, int Shift, float X, float Y)
{
    if (Button == 1)
        Picture9_MouseDown(Button, Shift, X, Y);
}

void Form1::Picture9_DblClick()
{
    Picture9_MouseDown(1, 0, 500, 0);
}

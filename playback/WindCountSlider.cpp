#include "shell/Form1.h"

#include "playback/Sliders.h"
#include "playback/TrackDrawing.h"
#include "shell/Module1.h"
#include "shell/SettingsStore.h"

#include <QLabel>
#include <QPointer>

// The wind-count track: a press at X draws the bar up to X and sets (and
// stores) WindCount, from which the wind hot keys take their jump.

namespace {

TrackDrawing WindDrawing;

} // namespace

void Form1::Picture9_MouseDown(int, int, float X, float)
{
    const unsigned ticket = WindDrawing.begin();
    const QPointer<Form1> alive(this);
    const WindCountPlan plan = PlanWindCount(X);
    Picture9->Cls();
    for (float x : plan.lines) {
        if (!WindDrawing.letEventsRun(ticket) || !alive)
            return;
        Picture9->Line(x, TrackLineTop, x, Picture9->ScaleHeight() - TrackLineTop, Qt::white);
        Label9->setText(WindCountCaption(x));
    }
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

#include "shell/Bar.h"

#include "playback/Sliders.h"
#include "shell/Startup.h"
#include "settings/SettingsStore.h"

#include <QLabel>

// The wind-count track: a press at X fills the track up to X and sets (and
// stores) the wind count, from which the wind hot keys take their jump. The
// track's value is the wind count.

void Bar::pressWindTrack(int, int, float X, float)
{
    const WindCountPlan plan = PlanWindCount(X);
    windTrack->setValue(TrackFill(plan.lines));
    windCount = plan.windCount;
    windLabel->setText(WindCountFinalCaption(windCount));
    // A write costs a file replacement; the same value (every start-up, a
    // press where the bar already ends) need not be written again.
    const QString stored = WindCountStoredText(windCount);
    if (GetSetting(QStringLiteral("WindCount"), QString()) != stored)
        SaveSetting(QStringLiteral("WindCount"), stored);
}

void Bar::dragWindTrack(int Button, int Shift, float X, float Y)
{
    if (Button == 1)
        pressWindTrack(Button, Shift, X, Y);
}

void Bar::resetWindCount()
{
    pressWindTrack(1, 0, 500, 0);
}

#include "shell/Bar.h"

#include "playback/Sliders.h"
#include "shell/Startup.h"
#include "settings/SettingsStore.h"

#include <QLabel>

// The wind-count track: a press `twips` along fills the track up to there and sets (and
// stores) the wind count, from which the wind hot keys take their jump. The
// track's value is the wind count.

void Bar::setWindCountAt(float twips)
{
    const WindCountPlan plan = PlanWindCount(twips);
    windTrack->setValue(TrackFill(plan.lines));
    windCount = plan.windCount;
    windLabel->setText(WindCountFinalCaption(windCount));
    // A write costs a file replacement; the same value (every start-up, a
    // press where the bar already ends) need not be written again.
    const QString stored = WindCountStoredText(windCount);
    if (GetSetting(QStringLiteral("WindCount"), QString()) != stored)
        SaveSetting(QStringLiteral("WindCount"), stored);
}

void Bar::resetWindCount()
{
    setWindCountAt(500);
}

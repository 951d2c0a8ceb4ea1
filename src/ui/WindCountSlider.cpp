// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "rules/Sliders.h"
#include "ui/MessageBox.h"
#include "ui/Startup.h"
#include "rules/SettingsStore.h"

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
    // Written off the press: a large settings file takes seconds to rewrite.
    // The store leaves out the value it already holds (every start-up, a
    // press where the bar already ends).
    m_settings.setValueLater(QStringLiteral("WindCount"), WindCountStoredText(windCount), [settings = m_settings](const QString &why) {
        ShowMessage(settings.notSavedText(QStringLiteral("wind count"), why), MessageStyle::Critical, QStringLiteral("Murmelvox"));
    });
}

void Bar::resetWindCount()
{
    setWindCountAt(500);
}

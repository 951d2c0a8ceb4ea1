// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindCountView.h"

#include "rules/Sliders.h"
#include "ui/MessageBox.h"
#include "ui/PanelLayout.h"
#include "ui/Startup.h"
#include "rules/SettingsStore.h"

#include <QLabel>

// The wind-count track: a press `twips` along fills the track up to there and sets (and
// stores) the wind count, from which the wind hot keys take their jump. The
// track's value is the wind count.

WindCountView::WindCountView(QWidget *panel, SettingsStore settings) : QObject(panel), m_settings(settings)
{
    setObjectName(QStringLiteral("windCount"));
    m_caption = PanelCaption(panel, "windLabel", QStringLiteral("Wind Count"), 120, 600, 975, 255);
    m_caption->setAccessibleName(QStringLiteral("Wind Count"));

    // A press at or past the track's right end fills it whole.
    m_track = new TrackSlider(panel, 1635, 135, QColor(64, 64, 64));
    m_track->setRange(int(TrackFirstLine), TrackFill(PlanWindCount(MaxWindCount).lines));
    m_track->setObjectName(QStringLiteral("windTrack"));
    m_track->setAccessibleName(QStringLiteral("Wind Count"));
    m_track->move(Px(1320), Px(660));

    connect(m_track, &TrackSlider::pressedAt, this, &WindCountView::setWindCountAt);
    connect(m_track, &TrackSlider::draggedTo, this, &WindCountView::setWindCountAt);
    connect(m_track, &TrackSlider::doubleClicked, this, &WindCountView::resetWindCount);
    // Arrow keys on the track wind one second more or less: 150 twips, one
    // wind step.
    connect(m_track, &TrackSlider::stepped, this, [this](int direction) {
        setWindCountAt(m_windCount + 150.0f * float(direction));
    });
}

QList<QWidget *> WindCountView::tabOrder() const
{
    return {m_track};
}

QList<QWidget *> WindCountView::backdrop() const
{
    return {m_caption};
}

void WindCountView::load()
{
    // L5. The wind count: the number the stored text begins with. A text
    //     with no number at all (a damaged store) would silently turn the
    //     wind keys into no-ops; it gets the default instead.
    m_windCount = WindCountFromStoredText(m_settings.value(QStringLiteral("WindCount"), QStringLiteral("500"))).value_or(500);

    // L7. The wind count as the track holds it, shown there.
    setWindCount(PlanWindCount(m_windCount).windCount);
}

double WindCountView::windStep() const
{
    return WindStepOf(m_windCount);
}

void WindCountView::setWindCountAt(float twips)
{
    setWindCount(PlanWindCount(twips).windCount);
}

void WindCountView::setWindCount(float count)
{
    m_windCount = count;
    m_track->setValue(TrackFill(PlanWindCount(count).lines));
    m_caption->setText(WindCountFinalCaption(m_windCount));
    // Written off the press: a large settings file takes seconds to rewrite.
    // The store leaves out the value it already holds (every start-up, a
    // press where the bar already ends).
    m_settings.setValueLater(QStringLiteral("WindCount"), WindCountStoredText(m_windCount), [settings = m_settings](const QString &why) {
        ShowMessage(settings.notSavedText(QStringLiteral("wind count"), why), MessageStyle::Critical, QStringLiteral("Murmelvox"));
    });
}

void WindCountView::resetWindCount()
{
    setWindCountAt(500);
}

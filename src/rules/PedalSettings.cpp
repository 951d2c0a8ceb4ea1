// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/PedalSettings.h"

#include "rules/SettingsStore.h"

#include <cmath>

namespace {

const QString Section = QStringLiteral("pedals");
const QString AutoRewindKey = QStringLiteral("autoRewindSeconds");
const QString RepeatPaceKey = QStringLiteral("repeatPaceMs");

QString pedalKey(Pedal pedal)
{
    static const char *const keys[PedalCount] = {"left", "middle", "right", "fourth"};
    return QString::fromLatin1(keys[int(pedal)]);
}

} // namespace

QString pedalActionKey(PedalAction action)
{
    static const char *const keys[PedalActionCount] = {"play-while-held", "play-pause", "wind-back",
                                                       "wind-forward", "back-to-start", "nothing"};
    return QString::fromLatin1(keys[int(action)]);
}

QString pedalActionLabel(PedalAction action)
{
    static const char *const labels[PedalActionCount] = {"Play while held", "Play/pause", "Wind back",
                                                         "Wind forward", "Back to start", "Nothing"};
    return QString::fromLatin1(labels[int(action)]);
}

QString pedalLabel(Pedal pedal)
{
    static const char *const labels[PedalCount] = {"Left", "Middle", "Right", "Fourth"};
    return QString::fromLatin1(labels[int(pedal)]);
}

PedalSettings LoadPedalSettings(const SettingsStore &store)
{
    PedalSettings settings;
    const QVariantMap values = store.section(Section);
    for (int pedal = 0; pedal < PedalCount; ++pedal) {
        const QString stored = values.value(pedalKey(Pedal(pedal))).toString();
        for (int action = 0; action < PedalActionCount; ++action) {
            if (stored == pedalActionKey(PedalAction(action)))
                settings.actions[pedal] = PedalAction(action);
        }
    }
    bool ok = false;
    const double rewind = values.value(AutoRewindKey).toDouble(&ok);
    if (ok && std::isfinite(rewind) && rewind >= 0 && rewind <= PedalSettings::MaxAutoRewindSeconds)
        settings.autoRewindSeconds = rewind;
    const int pace = values.value(RepeatPaceKey).toInt(&ok);
    if (ok && pace >= PedalSettings::MinRepeatPaceMs && pace <= PedalSettings::MaxRepeatPaceMs)
        settings.repeatPaceMs = pace;
    return settings;
}

bool SavePedalSettings(SettingsStore &store, const PedalSettings &settings)
{
    QVariantMap values;
    for (int pedal = 0; pedal < PedalCount; ++pedal)
        values.insert(pedalKey(Pedal(pedal)), pedalActionKey(settings.actions[pedal]));
    values.insert(AutoRewindKey, settings.autoRewindSeconds);
    values.insert(RepeatPaceKey, settings.repeatPaceMs);
    return store.setSection(Section, values);
}

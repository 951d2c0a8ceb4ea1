// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Timestamps.h"

#include "engine/Player.h"

Timestamps::Timestamps(Player &player, std::function<TimestampFormat()> format)
    : m_player(player), m_format(std::move(format))
{
}

std::optional<QString> Timestamps::current() const
{
    if (!m_player.hasFile())
        return std::nullopt;
    return FormatTimestamp(m_player.position(), m_format());
}

QString Timestamps::goTo(QStringView text)
{
    const std::optional<double> seconds = ParseTimestamp(text);
    if (!seconds) {
        // Enough of what was given to recognise it, never a page of it.
        constexpr qsizetype Shown = 40;
        const QStringView trimmed = text.trimmed();
        const QString given = trimmed.size() > Shown ? trimmed.first(Shown).toString() + QStringLiteral("…")
                                                     : trimmed.toString();
        return given.isEmpty() ? QStringLiteral("No timestamp was given.")
                               : QStringLiteral("\"%1\" is not a timestamp such as %2.")
                                     .arg(given, FormatTimestamp(754, m_format()));
    }
    if (!m_player.hasFile())
        return QStringLiteral("No file is open to go to %1 in.").arg(text.trimmed().toString());
    const double end = m_player.duration();
    if (end > 0 && *seconds >= end) {
        m_player.pause();
        m_player.jumpTo(end);
    } else {
        m_player.jumpTo(*seconds);
    }
    return {};
}

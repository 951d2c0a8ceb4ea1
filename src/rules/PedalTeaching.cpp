// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/PedalTeaching.h"

#include <QStringList>

#include <algorithm>

namespace {

const QString Section = QStringLiteral("taught-pedals");
// Bits of the longest report read, and the highest key code there is.
constexpr int MaxReportBit = 64 * 8 - 1;
constexpr int MaxKeyCode = 0x2ff;

QString idKey(std::uint16_t vendor, std::uint16_t product)
{
    return QStringLiteral("%1-%2").arg(vendor, 4, 16, QLatin1Char('0')).arg(product, 4, 16, QLatin1Char('0'));
}

std::optional<TaughtLayout> parseLayout(const QString &key, const QString &value)
{
    const QStringList id = key.split(u'-');
    const QStringList words = value.split(u' ', Qt::SkipEmptyParts);
    if (id.size() != 2 || words.size() != PedalCount + 1 || (words[0] != u"report" && words[0] != u"keys"))
        return std::nullopt;
    TaughtLayout layout;
    bool vendorOk = false, productOk = false;
    const uint vendor = id[0].toUInt(&vendorOk, 16), product = id[1].toUInt(&productOk, 16);
    if (!vendorOk || !productOk || vendor > 0xffff || product > 0xffff)
        return std::nullopt;
    layout.vendor = std::uint16_t(vendor);
    layout.product = std::uint16_t(product);
    layout.keys = words[0] == u"keys";
    const int highest = layout.keys ? MaxKeyCode : MaxReportBit;
    for (int pedal = 0; pedal < PedalCount; ++pedal) {
        bool ok = false;
        const int code = words[pedal + 1].toInt(&ok);
        if (!ok || code < -1 || code > highest)
            return std::nullopt;
        layout.code[pedal] = code;
    }
    return layout;
}

} // namespace

PedalTeacher::PedalTeacher(int pedals) : m_pedals(std::clamp(pedals, 1, PedalCount)) {}

bool PedalTeacher::taught(int code) const
{
    return std::find(m_codes.begin(), m_codes.begin() + m_next, code) != m_codes.begin() + m_next;
}

PedalTeacher::Outcome PedalTeacher::codeChanged(int code, bool down)
{
    if (m_next >= m_pedals)
        return Outcome::Done;
    if (code < 0)
        return Outcome::Waiting;
    if (down) {
        if (!taught(code))
            m_pending = code;
        return Outcome::Waiting;
    }
    if (code == m_pending) {
        m_codes[m_next] = code;
        m_pending = -1;
        return advance();
    }
    return taught(code) && m_pending < 0 ? Outcome::SameAsBefore : Outcome::Waiting;
}

PedalTeacher::Outcome PedalTeacher::skip()
{
    if (m_next >= m_pedals)
        return Outcome::Done;
    m_pending = -1;
    return advance();
}

PedalTeacher::Outcome PedalTeacher::advance()
{
    ++m_next;
    return m_next >= m_pedals ? Outcome::Done : Outcome::Learned;
}

std::optional<Pedal> PedalTeacher::asking() const
{
    if (m_next >= m_pedals)
        return std::nullopt;
    return Pedal(m_next);
}

QList<TaughtLayout> LoadTaughtLayouts(const SettingsStore &store)
{
    QList<TaughtLayout> layouts;
    const QVariantMap values = store.section(Section);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (const std::optional<TaughtLayout> layout = parseLayout(it.key(), it.value().toString()))
            layouts.append(*layout);
    }
    return layouts;
}

bool SaveTaughtLayout(SettingsStore &store, const TaughtLayout &layout)
{
    QVariantMap values = store.section(Section);
    QStringList words{layout.keys ? QStringLiteral("keys") : QStringLiteral("report")};
    for (int code : layout.code)
        words << QString::number(code);
    values.insert(idKey(layout.vendor, layout.product), words.join(u' '));
    return store.setSection(Section, values);
}

const TaughtLayout *findTaughtLayout(const QList<TaughtLayout> &layouts, std::uint16_t vendor, std::uint16_t product)
{
    for (const TaughtLayout &layout : layouts) {
        if (layout.vendor == vendor && layout.product == product)
            return &layout;
    }
    return nullptr;
}

PedalModel taughtModel(const TaughtLayout &layout, const PedalModel *known)
{
    PedalModel model{known ? known->name : "Foot control (taught)", layout.vendor, layout.product, 0, {}};
    for (int pedal = 0; pedal < PedalCount; ++pedal)
        model.bit[pedal] = std::int16_t(layout.code[pedal]);
    return model;
}

QString udevRuleLine(bool keys, std::uint16_t vendor, std::uint16_t product)
{
    return QStringLiteral("KERNEL==\"%1\", SUBSYSTEM==\"%2\", ATTRS{idVendor}==\"%3\", ATTRS{idProduct}==\"%4\", "
                          "TAG+=\"uaccess\"")
        .arg(keys ? QStringLiteral("event*") : QStringLiteral("hidraw*"),
             keys ? QStringLiteral("input") : QStringLiteral("hidraw"))
        .arg(vendor, 4, 16, QLatin1Char('0'))
        .arg(product, 4, 16, QLatin1Char('0'));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/PedalModels.h"

#include <algorithm>

const PedalModel *findPedalModel(std::uint16_t vendor, std::uint16_t product)
{
    for (const PedalModel &model : PedalModels) {
        if (model.vendor == vendor && model.product == product)
            return &model;
    }
    return nullptr;
}

bool needsTeaching(const PedalModel &model)
{
    return std::all_of(model.bit.begin(), model.bit.end(), [](int bit) { return bit < 0; });
}

std::optional<PedalMask> decodeReport(const PedalModel &model, QByteArrayView report)
{
    if (model.reportLength ? report.size() != model.reportLength : report.isEmpty())
        return std::nullopt;
    PedalMask down = 0;
    for (int pedal = 0; pedal < PedalCount; ++pedal) {
        const int bit = model.bit[pedal];
        if (bit < 0 || bit / 8 >= report.size())
            continue;
        if (std::uint8_t(report[bit / 8]) & (1u << (bit % 8)))
            down |= maskOf(Pedal(pedal));
    }
    return down;
}

QList<PedalEdge> pedalEdges(PedalMask before, PedalMask now)
{
    QList<PedalEdge> edges;
    for (int pedal = 0; pedal < PedalCount; ++pedal) {
        const PedalMask m = maskOf(Pedal(pedal));
        if ((before & m) != (now & m))
            edges.append({Pedal(pedal), bool(now & m)});
    }
    return edges;
}

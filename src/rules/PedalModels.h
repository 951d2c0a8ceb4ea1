// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QList>

#include <array>
#include <cstdint>
#include <optional>

// The pedals of a transcription foot control, by position.
enum class Pedal { Left, Middle, Right, Fourth };
constexpr int PedalCount = 4;

// Which pedals are down: bit n for Pedal(n).
using PedalMask = std::uint8_t;
constexpr PedalMask maskOf(Pedal pedal) { return PedalMask(1u << int(pedal)); }

// One model of foot control read as a raw HID device. A new model is one
// more row in PedalModels.
struct PedalModel
{
    const char *name;
    std::uint16_t vendor;
    std::uint16_t product;
    // Bytes in each input report; a report of any other length is not this
    // model's and is ignored. 0 where the published layout names only the
    // bytes that carry the pedals: any report long enough to hold them counts.
    int reportLength;
    // For each pedal, the bit of the report that is set while it is down,
    // counted from bit 0 of byte 0 (byte * 8 + bit); -1 where the model has
    // no such pedal, or where its layout is not known and must be taught.
    std::array<std::int16_t, PedalCount> bit;
};

// Where a maker's layout is known it is here. None of the Olympus, Grundig
// and older Philips rows has been checked against a real device, and the
// published notes disagree on the Grundig's (and the ACC2310's) bit order:
// teaching a pedal overrides its row.
inline constexpr std::array<PedalModel, 8> PedalModels{{
    {"VEC Infinity IN-USB", 0x05f3, 0x00ff, 2, {0, 1, 2, -1}},
    {"Philips ACC2310/ACC2320", 0x0911, 0x1844, 0, {0, 1, 2, -1}},
    {"Philips ACC2330", 0x0911, 0x091a, 0, {0, 1, 2, 3}},
    {"Philips foot control (older model)", 0x0911, 0x184c, 0, {0, 1, 2, -1}},
    // Byte 2: 1 left, 2 right, 4 middle.
    {"Olympus RS-28", 0x07b4, 0x0218, 0, {16, 18, 17, -1}},
    // Byte 2 in Olympus mode: 4 left, 1 right, 2 middle.
    {"Olympus RS-31H", 0x07b4, 0x025f, 0, {18, 17, 16, -1}},
    // Its layout is not published.
    {"Olympus RS-26", 0x07b4, 0x0202, 0, {-1, -1, -1, -1}},
    // Byte 0: 1, 2 and 4, taken in pedal order.
    {"Grundig Digta foot control", 0x15d8, 0x0024, 0, {0, 1, 2, -1}},
}};

// Whether no pedal of the model is known: it is read only once taught.
bool needsTeaching(const PedalModel &model);

// The model with these USB ids, or null.
const PedalModel *findPedalModel(std::uint16_t vendor, std::uint16_t product);

// The pedals a report shows down; no value for a report of the wrong length.
std::optional<PedalMask> decodeReport(const PedalModel &model, QByteArrayView report);

// A pedal going down or coming up.
struct PedalEdge
{
    Pedal pedal;
    bool down;
    bool operator==(const PedalEdge &) const = default;
};

// What changed from one state of the pedals to the next, pedal by pedal in
// order: reports give states, the actions want presses and releases.
QList<PedalEdge> pedalEdges(PedalMask before, PedalMask now);

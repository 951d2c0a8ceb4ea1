// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/PedalModels.h"

#include <linux/input-event-codes.h>

#include <array>
#include <cstdint>
#include <optional>

// For each pedal, the evdev key code (linux/input-event-codes.h) it types,
// or -1 where it is not known and the user must teach it.
using PedalKeys = std::array<int, PedalCount>;

// One model of foot control that presents itself as a USB keyboard (or
// mouse): pressing a pedal types a key. Read from its evdev nodes, and
// taken from the desktop so that the keys never reach the document.
struct KeyPedalModel
{
    const char *name;
    std::uint16_t vendor;
    std::uint16_t product;
    PedalKeys keys;
};

// Makers' default keys as they publish them; none of these models has been
// tried against a real device here.
inline constexpr std::array<KeyPedalModel, 7> KeyPedalModels{{
    // A boot keyboard typing Ctrl+Alt+4, 5 and 6.
    {"Kinesis Savant Elite", 0x05f3, 0x030c, {KEY_4, KEY_5, KEY_6, -1}},
    // Programmable, as keyboard or mouse: whatever it was last set to type.
    {"PCsensor FootSwitch", 0x0c45, 0x7403, {-1, -1, -1, -1}},
    {"PCsensor FootSwitch", 0x0c45, 0x7404, {-1, -1, -1, -1}},
    {"PCsensor FootSwitch", 0x3553, 0xb001, {-1, -1, -1, -1}},
    {"PCsensor FootSwitch", 0x3553, 0xc010, {-1, -1, -1, -1}},
    {"PCsensor-type foot switch", 0x413d, 0x2107, {-1, -1, -1, -1}},
    {"PCsensor-type foot switch", 0x1a86, 0xe026, {-1, -1, -1, -1}},
}};

// The model with these USB ids, or null.
const KeyPedalModel *findKeyPedalModel(std::uint16_t vendor, std::uint16_t product);

// Ctrl, Alt, Shift and Meta: a pedal may hold them around its own key,
// which is the one that tells the pedals apart.
bool isModifierKey(int code);

// The pedal that types `code`, if any; never a modifier key.
std::optional<Pedal> pedalOfKey(const PedalKeys &keys, int code);
inline std::optional<Pedal> pedalOfKey(const KeyPedalModel &model, int code)
{
    return pedalOfKey(model.keys, code);
}

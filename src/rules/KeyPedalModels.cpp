// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/KeyPedalModels.h"

#include <algorithm>

namespace {

constexpr std::array Modifiers{KEY_LEFTCTRL,  KEY_RIGHTCTRL, KEY_LEFTALT,  KEY_RIGHTALT,
                               KEY_LEFTSHIFT, KEY_RIGHTSHIFT, KEY_LEFTMETA, KEY_RIGHTMETA};

} // namespace

const KeyPedalModel *findKeyPedalModel(std::uint16_t vendor, std::uint16_t product)
{
    for (const KeyPedalModel &model : KeyPedalModels) {
        if (model.vendor == vendor && model.product == product)
            return &model;
    }
    return nullptr;
}

bool isModifierKey(int code)
{
    return std::ranges::find(Modifiers, code) != Modifiers.end();
}

std::optional<Pedal> pedalOfKey(const PedalKeys &keys, int code)
{
    if (code < 0 || isModifierKey(code))
        return std::nullopt;
    for (int pedal = 0; pedal < PedalCount; ++pedal) {
        if (keys[pedal] == code)
            return Pedal(pedal);
    }
    return std::nullopt;
}

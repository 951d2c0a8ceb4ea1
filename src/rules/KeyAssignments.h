// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/HotKeyActions.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// Virtual-key codes of the function keys.
constexpr std::int32_t VK_F1 = 112;
constexpr std::int32_t VK_F12 = 123;

// The code of one of the names "F1" ... "F12" (exact, case-sensitive, no
// blanks or leading zeros); no value for any other text.
std::optional<std::int32_t> KeyNameToCode(const QString &name);

// The name of a function key's code ("F6" for 117); empty outside F1..F12.
QString KeyCodeToName(std::int32_t code);

// The key of each hot-key action, in the order of the action table, as a
// virtual-key code (F1 = 112 ... F12 = 123); 0 means unbound: no key has
// code 0, so the action never fires.
using KeyBindings = std::array<std::int32_t, HotKeyActions.size()>;

// Reads each action's key name from the settings store (its default when
// absent); a stored name that is not a function key unbinds its action.
KeyBindings LoadKeyAssignments();

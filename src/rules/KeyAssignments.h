// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/HotKeyActions.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

class SettingsStore;

// A function key. The numbers are the key tables' (F1 is 112, F12 is 123), so
// that a key's place among the twelve is its distance from F1. None binds
// nothing: no key is None, so an action bound to it never fires.
enum class FunctionKey : std::int32_t { None = 0, F1 = 112, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12 };

// F1 plus `offset` (0 to 11); None outside the twelve.
FunctionKey FunctionKeyAt(int offset);
// The key's place among the twelve, 0 for F1; -1 for None.
int OffsetOf(FunctionKey key);

// The key named "F1" ... "F12" (exact, case-sensitive, no blanks or leading
// zeros); no value for any other text.
std::optional<FunctionKey> FunctionKeyNamed(const QString &name);

// The name of a function key ("F6"); empty for None.
QString NameOf(FunctionKey key);

// The key of each hot-key action, in the order of the action table; None
// leaves its action unbound.
using KeyBindings = std::array<FunctionKey, HotKeyActions.size()>;

// Reads each action's key name from the settings store (its default when
// absent); a stored name that is not a function key unbinds its action.
KeyBindings LoadKeyAssignments(const SettingsStore &settings);

// One hash for the keys, for sets of them.
inline size_t qHash(FunctionKey key, size_t seed = 0) noexcept { return size_t(key) ^ seed; }

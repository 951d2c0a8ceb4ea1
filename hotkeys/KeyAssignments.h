#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The four hot-key bindings as virtual-key codes (F1 = 112 ... F12 = 123).
// 0 means unbound: no key has code 0, so the action never fires.
inline std::int32_t FullRewindKey = 0;
inline std::int32_t FastRewindKey = 0;
inline std::int32_t PlayPauseKey = 0;
inline std::int32_t FastForwardKey = 0;

// Virtual-key codes of the function keys.
constexpr std::int32_t VK_F1 = 112;
constexpr std::int32_t VK_F12 = 123;

// The code of one of the names "F1" ... "F12" (exact, case-sensitive, no
// blanks or leading zeros); no value for any other text.
std::optional<std::int32_t> KeyNameToCode(const QString &name);

// The name of a function key's code ("F6" for 117); empty outside F1..F12.
QString KeyCodeToName(std::int32_t code);

// Reads "FuR", "FR", "PP" and "FF" from the settings store (defaults F4, F5,
// F6, F8 when absent) into the four variables; a stored name that is not a
// function key unbinds its action.
void LoadKeyAssignments();

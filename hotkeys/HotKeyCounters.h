#pragma once

#include <cstdint>

// Events of the Play/Pause, Fast Rewind and Fast Forward hot keys counted
// since the last reset. The transport buttons reset them so that the hot keys
// carry on in step with the buttons.
inline std::int16_t PlayPauseKeyCount = 0;
inline std::int16_t RewindKeyCount = 0;
inline std::int16_t ForwardKeyCount = 0;

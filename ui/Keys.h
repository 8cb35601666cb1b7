// Virtual-key codes of the keys the windows react to, as the platform layer delivers them.
#pragma once

#include <cstdint>

namespace Keys {

inline constexpr uint8_t Back = 0x08, Tab = 0x09, Return = 0x0D, Escape = 0x1B;
inline constexpr uint8_t Space = 0x20, PageUp = 0x21, PageDown = 0x22, End = 0x23, Home = 0x24;
inline constexpr uint8_t Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28;
inline constexpr uint8_t Insert = 0x2D, Delete = 0x2E;
inline constexpr uint8_t F1 = 0x70, F3 = 0x72, F9 = 0x78, F24 = 0x87;
// Letters and digits are their upper-case ASCII codes ('A', '0').

}  // namespace Keys

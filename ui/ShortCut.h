// Menu shortcuts: a 16-bit value holding a virtual-key code and the modifier bits, the name a
// drop-down item shows beside its caption, and the test of a key press against it.
#pragma once

#include <cstdint>
#include <string>

#include "Keys.h"
#include "Platform.h"

namespace ShortCut {

inline constexpr uint16_t ShiftBit = 8192;
inline constexpr uint16_t CtrlBit = 16384;
inline constexpr uint16_t AltBit = 32768;

uint16_t Encode(uint8_t virtualKey, bool shift = false, bool ctrl = false, bool alt = false);
Platform::KeyPress Decode(uint16_t shortcut);

// "Shift+", "Ctrl+", "Alt+" in that order, then the key's name ("F3", "Ctrl+G"); empty for 0
// and for a key without a name (any but F1 to F24, letters and digits).
std::string Name(uint16_t shortcut);

// The key and all three modifier states must agree.
bool Matches(uint16_t shortcut, const Platform::KeyPress& key);

}  // namespace ShortCut

#include "ShortCut.h"

namespace ShortCut {

uint16_t Encode(uint8_t virtualKey, bool shift, bool ctrl, bool alt) {
    return static_cast<uint16_t>(virtualKey | (shift ? ShiftBit : 0) | (ctrl ? CtrlBit : 0) |
                                 (alt ? AltBit : 0));
}

Platform::KeyPress Decode(uint16_t shortcut) {
    Platform::KeyPress key;
    key.VirtualKey = static_cast<uint8_t>(shortcut & 0xFF);
    key.Shift = (shortcut & ShiftBit) != 0;
    key.Ctrl = (shortcut & CtrlBit) != 0;
    key.Alt = (shortcut & AltBit) != 0;
    return key;
}

namespace {

// Function keys, letters and digits have names; other keys none.
std::string KeyName(uint8_t key) {
    // Appended, not prefixed: GCC 12 takes the insert of `"F" + ...` for an overlapping copy
    // when fortified.
    if (key >= Keys::F1 && key <= Keys::F24)
        return std::string("F").append(std::to_string(key - Keys::F1 + 1));
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
    return "";
}

}  // namespace

std::string Name(uint16_t shortcut) {
    const Platform::KeyPress key = Decode(shortcut);
    std::string name = KeyName(key.VirtualKey);
    if (name.empty()) return name;
    return std::string(key.Shift ? "Shift+" : "") + (key.Ctrl ? "Ctrl+" : "") +
           (key.Alt ? "Alt+" : "") + name;
}

bool Matches(uint16_t shortcut, const Platform::KeyPress& key) {
    return shortcut != 0 && Decode(shortcut) == key;
}

}  // namespace ShortCut

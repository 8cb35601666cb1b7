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

std::string KeyName(uint8_t key) {
    if (key >= KeyF1 && key <= KeyF24) return "F" + std::to_string(key - KeyF1 + 1);
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
    switch (key) {
        case 8:
            return "BkSp";
        case 9:
            return "Tab";
        case 13:
            return "Enter";
        case 27:
            return "Esc";
        case 32:
            return "Space";
        case 33:
            return "PgUp";
        case 34:
            return "PgDn";
        case 35:
            return "End";
        case 36:
            return "Home";
        case 37:
            return "Left";
        case 38:
            return "Up";
        case 39:
            return "Right";
        case 40:
            return "Down";
        case 45:
            return "Ins";
        case 46:
            return "Del";
        default:
            return "";
    }
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

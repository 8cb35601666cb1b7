// The Windows headers for the backend, and the conversions between the program's CP1251 bytes
// and the UTF-16 of the wide Win32 calls.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <string>
#include <string_view>

#include "Cp1251.h"

namespace Win32 {

inline std::wstring Wide(std::string_view bytes) {
    std::u16string text = Cp1251::ToUtf16(bytes);
    return std::wstring(text.begin(), text.end());
}

inline std::string Narrow(std::wstring_view text) {
    return Cp1251::FromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

inline std::string WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

}  // namespace Win32

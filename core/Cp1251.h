// The single-byte code page of the interface and script texts, mapped one to one onto Unicode.
// Bytes 0x98 and the other unassigned positions map to the C1 code points of the same value,
// so every byte survives a round trip through a Unicode toolkit.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace Cp1251 {

char16_t ToUnicode(uint8_t byte);
// The byte for a code point; '?' for one the code page does not hold.
uint8_t FromUnicode(char32_t codePoint);

std::string ToUtf8(std::string_view bytes);
std::string FromUtf8(std::string_view utf8);
std::u16string ToUtf16(std::string_view bytes);
std::string FromUtf16(std::u16string_view utf16);

// The text that shows a file name in the interface and in messages. Only for showing: the name
// itself travels as the platform's own (bytes on POSIX, UTF-16 on Windows) and is never rebuilt
// from this text, which has '?' for whatever the code page lacks.
std::string FromPath(const std::filesystem::path& path);

}  // namespace Cp1251

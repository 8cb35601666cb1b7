#include "Cp1251.h"

#include <array>

namespace Cp1251 {
namespace {

// 0x80..0xBF; the unassigned 0x98 maps to U+0098 so that every byte survives a round trip.
constexpr std::array<char16_t, 64> High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`; a malformed one yields U+FFFD and consumes one byte.
char32_t NextUtf8(std::string_view s, size_t& i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b = byte(i);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    i += extra + 1;
    return c;
}

}  // namespace

char16_t ToUnicode(uint8_t byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return High[byte - 0x80];
}

uint8_t FromUnicode(char32_t c) {
    if (c < 0x80) return static_cast<uint8_t>(c);
    if (c >= 0x0410 && c <= 0x044F) return static_cast<uint8_t>(0xC0 + (c - 0x0410));
    for (size_t k = 0; k < High.size(); ++k)
        if (High[k] == c) return static_cast<uint8_t>(0x80 + k);
    return '?';
}

std::string ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes) AppendUtf8(out, ToUnicode(static_cast<uint8_t>(b)));
    return out;
}

std::string FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) out += static_cast<char>(FromUnicode(NextUtf8(utf8, i)));
    return out;
}

std::u16string ToUtf16(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) out[i] = ToUnicode(static_cast<uint8_t>(bytes[i]));
    return out;
}

std::string FromUtf16(std::u16string_view utf16) {
    std::string out(utf16.size(), '\0');
    size_t n = 0;
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        // A surrogate pair is one character the code page cannot hold.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] < 0xE000)
            ++i;
        out[n++] = static_cast<char>(FromUnicode(c));
    }
    out.resize(n);
    return out;
}

std::string FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& name = path.native();
    return FromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()));
#else
    return FromUtf8(path.native());
#endif
}

}  // namespace Cp1251

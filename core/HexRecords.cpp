#include "HexRecords.h"

#include <cstring>

#include "Errors.h"
#include "HexUnit.h"

namespace HexRecords {

namespace {

int DigitValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

const std::array<uint16_t, 1 << 16> PairValues = [] {
    std::array<uint16_t, 1 << 16> values{};
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            int high = DigitValue(a), low = DigitValue(b);
            values[a | b << 8] =
                high < 0 || low < 0 ? 0x100 : static_cast<uint16_t>(high << 4 | low);
        }
    }
    return values;
}();

Line LineAt(const uint8_t* at, const uint8_t* end) {
    auto* lf = static_cast<const uint8_t*>(std::memchr(at, '\n', end - at));
    if (!lf) return {end > at && end[-1] == '\r' ? end - 1 : end, end};
    return {lf > at && lf[-1] == '\r' ? lf - 1 : lf, lf + 1};
}

bool Blank(const uint8_t* begin, const uint8_t* stop) {
    for (; begin < stop; ++begin) {
        if (*begin != ' ' && *begin != '\t') return false;
    }
    return true;
}

void Fail(uint32_t line, const std::string& message) {
    throw EFormatError(message, static_cast<int32_t>(line));
}

void CheckDigits(uint32_t line, const uint8_t* begin, const uint8_t* from, const uint8_t* stop) {
    for (const uint8_t* at = from; at < stop; ++at) {
        if (DigitValue(*at) >= 0) continue;
        // Shown as itself when printable, else as the byte's value.
        std::string shown = "the byte " + HexUnit::HexByte(*at);
        if (*at > ' ' && *at < 0x7F) shown = {'\'', static_cast<char>(*at), '\''};
        Fail(line, "column " + std::to_string(at - begin + 1) + ": " + shown +
                       " is no hexadecimal digit");
    }
}

void CheckLength(uint32_t line, size_t digits, size_t needed) {
    if (digits < needed)
        Fail(line, "record cut short: " + std::to_string(digits) + " of the " +
                       std::to_string(needed) + " digits its byte count asks for");
    if (digits > needed)
        Fail(line, "record longer than its byte count: " + std::to_string(digits) +
                       " digits where it asks for " + std::to_string(needed));
}

void CheckNotEnded(uint32_t line, int64_t endLine) {
    if (endLine >= 0)
        Fail(line, "record after the end record on line " + std::to_string(endLine + 1));
}

}  // namespace HexRecords

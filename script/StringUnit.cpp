#include "StringUnit.h"

#include <array>
#include <string>
#include <string_view>

#include "Errors.h"
#include "HexUnit.h"

namespace StringUnit {

namespace {

// Character p (1-based) of `text` when 1 <= p <= length, compared as unsigned so that negative
// positions lie beyond the end.
bool Inside(std::string_view text, uint32_t p) {
    return p - 1 < text.size();
}

// The run of characters from `position` that are not `delimiter`, after skipping delimiters.
std::string_view Delimited(std::string_view text, int32_t position, char delimiter) {
    uint32_t p = static_cast<uint32_t>(position);
    while (Inside(text, p) && text[p - 1] == delimiter) ++p;
    uint32_t first = p;
    while (Inside(text, p) && text[p - 1] != delimiter) ++p;
    return first == p ? std::string_view() : text.substr(first - 1, p - first);
}

// The value of each hexadecimal digit character, in either letter case; 0xFF for every other
// byte.
constexpr auto DigitValues = [] {
    std::array<uint8_t, 256> values{};
    values.fill(0xFF);
    for (uint8_t v = 0; v < 16; ++v) {
        const char digit = HexUnit::Digits[v];
        values[static_cast<uint8_t>(digit)] = v;
        if (digit >= 'A') values[static_cast<uint8_t>(digit - 'A' + 'a')] = v;
    }
    return values;
}();

}  // namespace

std::string_view WordAt(std::string_view text, int32_t position) {
    return Delimited(text, position, WordDelimiter);
}

std::string_view QuotedAt(std::string_view text, int32_t position) {
    return Delimited(text, position, TextDelimiter);
}

int32_t HexAt(std::string_view text, int32_t position) {
    std::string_view word = WordAt(text, position);
    // 64-bit accumulation; a value above 0FFFFFFFFFFFFFFF before a digit would overflow, so at
    // most 16 significant digits convert. Only the low 32 bits are kept.
    uint64_t value = 0;
    bool valid = !word.empty();
    for (char c : word) {
        uint8_t digit = DigitValues[static_cast<uint8_t>(c)];
        if (digit == 0xFF || value > 0x0FFFFFFFFFFFFFFFull) {
            valid = false;
            break;
        }
        value = value * 16 + digit;
    }
    if (!valid) {
        std::string message = "'$";
        message.append(word);
        message += "' is not a valid integer value";
        throw EConvertError(std::move(message));
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

int32_t NextWordMark(std::string_view text, int32_t position) {
    uint32_t n = static_cast<uint32_t>(text.size());
    uint32_t p = static_cast<uint32_t>(position);
    while (Inside(text, p) && text[p - 1] != WordDelimiter) ++p;
    while (Inside(text, p) && text[p - 1] == WordDelimiter) ++p;
    return p == n ? -1 : static_cast<int32_t>(p + 1);
}

}  // namespace StringUnit

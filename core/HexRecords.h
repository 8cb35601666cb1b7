// What the two text record formats (Intel HEX, S-record) share: digit pairs, lines that end in
// LF or CR LF, and the errors that name a line and a column.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace HexRecords {

// For the two characters a, b: PairValues[a | b << 8] is the byte their digits make (either
// case), or a value above 0xFF when either is no hexadecimal digit.
extern const std::array<uint16_t, 1 << 16> PairValues;

inline uint32_t Pair(const uint8_t* at) {
    return PairValues[at[0] | at[1] << 8];
}

// The end of the line at `at` (its CR LF or LF left out), and where the next line starts.
struct Line {
    const uint8_t* Stop;
    const uint8_t* Next;
};
// True, with `line` set, when the line at `at` ends after `length` characters: the quick test for
// a record of the length its byte count gives.
inline bool EndsAt(const uint8_t* at, size_t length, const uint8_t* end, Line& line) {
    if (length > static_cast<size_t>(end - at)) return false;
    const uint8_t* stop = at + length;
    if (stop == end)
        line = {stop, stop};
    else if (*stop == '\n')
        line = {stop, stop + 1};
    else if (stop + 1 < end && stop[0] == '\r' && stop[1] == '\n')
        line = {stop, stop + 2};
    else
        return false;
    return true;
}
Line LineAt(const uint8_t* at, const uint8_t* end);
// Only blanks and tabs, or nothing.
bool Blank(const uint8_t* begin, const uint8_t* stop);

// Fails (EFormatError) at line index `line`.
[[noreturn]] void Fail(uint32_t line, const std::string& message);
// Fails at the first character from `from` to `stop` that is no hexadecimal digit, naming its
// column in the line that starts at `begin`; returns when there is none.
void CheckDigits(uint32_t line, const uint8_t* begin, const uint8_t* from, const uint8_t* stop);
// Fails unless the record has the digits its byte count asks for.
void CheckLength(uint32_t line, size_t digits, size_t needed);
// Fails with "record after the end record on line N" for anything but a blank after the end.
void CheckNotEnded(uint32_t line, int64_t endLine);

}  // namespace HexRecords

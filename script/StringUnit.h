// Splits one script line into keyword, hexadecimal arguments and label. Positions are 1-based
// and compared as unsigned.
#pragma once

#include <cstdint>
#include <string_view>

namespace StringUnit {

inline constexpr char WordDelimiter = ' ';
inline constexpr char TextDelimiter = '\'';
inline constexpr char LabelMark = ':';

// Each operation scans the text of one script line. The results of WordAt and QuotedAt are
// views into that text.
std::string_view WordAt(std::string_view text, int32_t position);
std::string_view QuotedAt(std::string_view text, int32_t position);
int32_t HexAt(std::string_view text, int32_t position);  // raises EConvertError
int32_t NextWordMark(std::string_view text, int32_t position);

}  // namespace StringUnit

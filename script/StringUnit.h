// Splits one script line into keyword, hexadecimal arguments and label. Every operation reads
// its line afresh from the bound script list; positions are 1-based and compared as unsigned.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class LineList;

namespace StringUnit {

inline constexpr char WordDelimiter = ' ';
inline constexpr char TextDelimiter = '\'';
inline constexpr char LabelMark = ':';

// The script list that the operations read (bound by RunUnit::Bind).
extern LineList* Script;

// The results of WordAt and QuotedAt are views into the script line, valid until the script
// list changes.
std::string_view WordAt(int32_t line, int32_t position);
std::string_view QuotedAt(int32_t line, int32_t position);
int32_t HexAt(int32_t line, int32_t position);  // raises EConvertError
int32_t NextWordMark(int32_t line, int32_t position);

// The same operations on the text of a line already read from the script: the interpreter reads
// each line once and scans it several times.
std::string_view WordIn(std::string_view text, int32_t position);
std::string_view QuotedIn(std::string_view text, int32_t position);
int32_t HexIn(std::string_view text, int32_t position);  // raises EConvertError
int32_t NextWordMarkIn(std::string_view text, int32_t position);

// The 16 image bytes from `offset` as characters (offset + j computed in 32 bits). Bytes
// outside the image read as 0; the script engine checks its offsets before calling this.
std::string TextRun16(uint32_t offset);

}  // namespace StringUnit

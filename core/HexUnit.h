// The firmware image, its loader, and the hexadecimal texts of the dump and of listing values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileAccess.h"

namespace HexUnit {

// The loaded image: empty until the first successful load; only ReplaceImage writes it.
extern std::vector<uint8_t> ImageBytes;
extern uint32_t ImageSize;

// Written after every byte of a dump row and of the header, and between address and bytes.
inline constexpr std::string_view ByteSeparator = " ";
inline constexpr std::string_view AddressSeparator = " | ";
// The widest dump row, 59 characters: the address, AddressSeparator and 16 "XX " groups.
inline constexpr size_t DumpRowWidth = 8 + AddressSeparator.size() + 16 * 3;

// Reads the whole file into the image. All or nothing: on any failure (EInOutError, or
// std::bad_alloc) the previous image is left exactly as it was. Opens for reading only.
// Regular files and block devices are read at their size; pipes, FIFOs and other files whose
// size is not known are read to their end. 2 GiB and more fail with "File too large".
// `progress` is told between the reads (see FileAccess::ReadProgress); what it throws ends the
// load as a failure does.
void LoadImage(const std::filesystem::path& fileName,
               const FileAccess::ReadProgress& progress = {});
// The same from standard input; closed, it fails with the loader's message for a bad handle.
void LoadImageFromStandardInput();
// What LoadImage and LoadImageFromStandardInput read, with their errors, leaving the image alone.
std::vector<uint8_t> ReadImageFile(const std::filesystem::path& fileName,
                                   const FileAccess::ReadProgress& progress = {});
std::vector<uint8_t> ReadImageFromStandardInput();
// Makes `bytes` the image (at most FileAccess::LargestFile of them); `bytes` gets the old one.
void ReplaceImage(std::vector<uint8_t>& bytes);

std::string HexByte(uint32_t value);  // 2 upper-case digits of the low 8 bits
std::string Hex32(uint32_t value);    // 8 upper-case digits
std::string DumpHeader();             // 11 blanks, then "00 " .. "0F "

// The digits of hexadecimal texts, upper case.
inline constexpr char Digits[] = "0123456789ABCDEF";

// The dump of the current image has ImageSize div 16 + 1 rows, none when it is empty. Each row
// is the 8-digit offset, AddressSeparator, and up to 16 "XX " groups of the bytes from there.
uint64_t DumpRowCount();
// Rows first..first+count-1 written one after another into `out` (appended), each followed by
// `eol`.
void AppendDumpRows(std::string& out, uint64_t first, uint64_t count, std::string_view eol);
// The same into a caller's buffer, which must hold count * (DumpRowWidth + eol.size()) + 1
// characters. Returns the end of the text written.
char* FormatDumpRows(char* out, uint64_t first, uint64_t count, std::string_view eol);

// Where `pattern` next stands in the image: the first match at `start` or after it, else,
// wrapping round once, the first one that begins before `start`. Nothing for no match.
std::optional<uint32_t> FindBytes(const std::vector<uint8_t>& pattern, uint64_t start);

}  // namespace HexUnit

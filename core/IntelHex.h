// Intel HEX: ':' records of byte count, 16-bit address, type, data and checksum, one a line.
#pragma once

#include <cstdint>
#include <span>

#include "ImageRegions.h"

namespace IntelHex {

// The data records of `text`, decoded into its front. Types 00 (data), 01 (end), 02 (extended
// segment address), 04 (extended linear address), 03 and 05 (start addresses, ignored). Fails
// (EFormatError, naming the line) on a bad checksum, character, length or type, on a record after
// the end record, and when there is no end record.
ImageRegions::Parsed Parse(std::span<uint8_t> text);

}  // namespace IntelHex

// Motorola S-record: 'S', a type digit, byte count, address, data and checksum, one a line.
#pragma once

#include <cstdint>
#include <span>

#include "ImageRegions.h"

namespace SRecord {

// The data records of `text`, decoded into its front. S0 (header) is ignored; S1, S2 and S3 hold
// data at 16-, 24- and 32-bit addresses; S5 and S6 count the data records before them and are
// checked; S7, S8 and S9 end the file. Fails (EFormatError, naming the line) on a bad checksum,
// character, length, type or count, on a record after the end, and when there is no end record.
ImageRegions::Parsed Parse(std::span<uint8_t> text);

}  // namespace SRecord

// ELF files, 32- and 64-bit, either byte order: the contents of their loadable segments.
#pragma once

#include <cstdint>
#include <span>

#include "ImageRegions.h"

namespace ElfImage {

bool HasMagic(std::span<const uint8_t> file);  // starts with 7F 'E' 'L' 'F'

// The file bytes of every PT_LOAD segment with a file size above 0, at its physical address;
// regions point into `file` and are numbered by their program header. Fails (EFormatError) on a
// file cut inside its header, its program headers or a segment's contents, and on a file with no
// such segment.
ImageRegions::Parsed Parse(std::span<const uint8_t> file);

}  // namespace ElfImage

// UF2: 512-byte blocks, each with a payload for a target address.
#pragma once

#include <cstdint>
#include <span>

#include "ImageRegions.h"

namespace Uf2Image {

bool HasMagic(std::span<const uint8_t> file);  // the first block's two starting magic numbers

// The payload of every block at its target address, in any order; blocks flagged "not main
// flash" are skipped and the family ID is ignored. Regions point into `file` and are numbered by
// their block. Fails (EFormatError) on a file cut inside a block, a wrong magic number and a
// payload larger than a block holds.
ImageRegions::Parsed Parse(std::span<const uint8_t> file);

}  // namespace Uf2Image

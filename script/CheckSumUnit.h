// The byte-sum checksum over a range of the image.
#pragma once

#include <cstdint>

namespace CheckSumUnit {

// Sum modulo 65536 of ImageBytes[lo] .. ImageBytes[hi]; 0 when hi < lo. The caller has checked
// that the range lies inside the image.
uint16_t Checksum16(uint32_t lo, uint32_t hi);

}  // namespace CheckSumUnit

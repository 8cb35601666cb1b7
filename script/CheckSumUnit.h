// The byte-sum checksum over an image range held in two registers.
#pragma once

#include <cstdint>

namespace CheckSumUnit {

// Sum modulo 65536 of ImageBytes[R[first]] .. ImageBytes[R[last]]; 0 when R[last] < R[first].
// `first` and `last` are register numbers 1..1024; offsets past the image add nothing.
uint16_t Checksum16(int32_t first, int32_t last);

}  // namespace CheckSumUnit

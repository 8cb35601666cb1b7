#include "CheckSumUnit.h"

#include "HexUnit.h"

namespace CheckSumUnit {

uint16_t Checksum16(uint32_t lo, uint32_t hi) {
    if (hi < lo) return 0;
    uint32_t sum = 0;
    for (uint32_t o = lo; o <= hi; ++o) sum += HexUnit::ImageBytes[o];
    return static_cast<uint16_t>(sum);
}

}  // namespace CheckSumUnit

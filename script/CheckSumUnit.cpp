#include "CheckSumUnit.h"

#include "HexUnit.h"
#include "RunUnit.h"

namespace CheckSumUnit {

namespace {

// A register number outside 1..1024 reads as 0 rather than touching other storage.
uint32_t RegisterValue(int32_t number) {
    uint32_t index = static_cast<uint32_t>(number) - 1;
    return index < RunUnit::RegisterFile.size() ? RunUnit::RegisterFile[index] : 0;
}

}  // namespace

uint16_t Checksum16(int32_t first, int32_t last) {
    uint32_t lo = RegisterValue(first);
    uint32_t hi = RegisterValue(last);
    if (hi < lo) return 0;
    // Offsets past the image add nothing; hi < 65536 so hi + 1 cannot wrap.
    uint32_t end = hi + 1 < HexUnit::ImageSize ? hi + 1 : HexUnit::ImageSize;
    uint32_t sum = 0;
    for (uint32_t o = lo; o < end; ++o) sum += HexUnit::ImageBytes[o];
    return static_cast<uint16_t>(sum);
}

}  // namespace CheckSumUnit

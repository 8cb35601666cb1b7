#include "Uf2Image.h"

namespace Uf2Image {

namespace {

constexpr uint32_t BlockSize = 512;
constexpr uint32_t PayloadAt = 32;
constexpr uint32_t LargestPayload = 476;
constexpr uint32_t FirstMagic = 0x0A324655, SecondMagic = 0x9E5D5157, FinalMagic = 0x0AB16F30;
constexpr uint32_t NotMainFlash = 0x00000001;

uint32_t Word(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

}  // namespace

bool HasMagic(std::span<const uint8_t> file) {
    return file.size() >= 8 && Word(file.data()) == FirstMagic &&
           Word(file.data() + 4) == SecondMagic;
}

ImageRegions::Parsed Parse(std::span<const uint8_t> file) {
    ImageRegions::Parsed parsed;
    parsed.Unit = "block";
    const uint32_t blocks = static_cast<uint32_t>(file.size() / BlockSize);
    if (file.size() % BlockSize)
        ImageRegions::Fail(parsed, blocks,
                           "cut short: " + std::to_string(file.size() % BlockSize) + " of its " +
                               std::to_string(BlockSize) + " bytes");
    for (uint32_t i = 0; i < blocks; ++i) {
        const uint8_t* block = file.data() + uint64_t{i} * BlockSize;
        if (Word(block) != FirstMagic || Word(block + 4) != SecondMagic ||
            Word(block + BlockSize - 4) != FinalMagic)
            ImageRegions::Fail(parsed, i, "wrong magic number");
        if (Word(block + 8) & NotMainFlash) continue;
        const uint32_t address = Word(block + 12), size = Word(block + 16);
        if (size > LargestPayload)
            ImageRegions::Fail(parsed, i,
                               "payload of " + std::to_string(size) + " bytes, more than the " +
                                   std::to_string(LargestPayload) + " a block holds");
        if (size) parsed.Regions.push_back({address, i * BlockSize + PayloadAt, size, i});
    }
    return parsed;
}

}  // namespace Uf2Image

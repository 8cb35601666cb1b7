#include "ElfImage.h"

#include <cstring>

#include "Errors.h"
#include "HexUnit.h"

namespace ElfImage {

namespace {

constexpr uint8_t Magic[4] = {0x7F, 'E', 'L', 'F'};
constexpr uint32_t LoadType = 1;            // PT_LOAD
constexpr uint32_t ExtendedCount = 0xFFFF;  // PN_XNUM: the count stands in section header 0

// Reads the file's fields in its byte order, at offsets already checked against its size.
struct Reader {
    const uint8_t* Bytes;
    bool BigEndian;

    uint64_t At(uint64_t offset, int size) const {
        uint64_t value = 0;
        for (int i = 0; i < size; ++i) {
            const uint8_t byte = Bytes[offset + (BigEndian ? i : size - 1 - i)];
            value = value << 8 | byte;
        }
        return value;
    }
};

[[noreturn]] void Fail(const std::string& message) {
    throw EFormatError(message, -1);
}

}  // namespace

bool HasMagic(std::span<const uint8_t> file) {
    return file.size() >= sizeof Magic && std::memcmp(file.data(), Magic, sizeof Magic) == 0;
}

ImageRegions::Parsed Parse(std::span<const uint8_t> file) {
    if (!HasMagic(file)) Fail("no ELF file: it does not start with 7F 45 4C 46");
    const uint64_t size = file.size();
    if (size < 16) Fail("cut inside the ELF header");
    const bool wide = file[4] == 2;
    if (file[4] != 1 && !wide) Fail("unknown ELF class " + HexUnit::HexByte(file[4]));
    if (file[5] != 1 && file[5] != 2)
        Fail("unknown ELF data encoding " + HexUnit::HexByte(file[5]));
    const Reader read{file.data(), file[5] == 2};
    const int word = wide ? 8 : 4;
    if (size < (wide ? 64u : 52u)) Fail("cut inside the ELF header");

    const uint64_t tableAt = read.At(wide ? 32 : 28, word);
    const uint64_t sectionsAt = read.At(wide ? 40 : 32, word);
    const uint64_t entrySize = read.At(wide ? 54 : 42, 2);
    uint64_t count = read.At(wide ? 56 : 44, 2);
    if (count == ExtendedCount) {
        const uint64_t infoAt = sectionsAt + (wide ? 44 : 28);
        if (sectionsAt > size || size - sectionsAt < (wide ? 64u : 40u))
            Fail("cut inside section header 0, which holds the number of program headers");
        count = read.At(infoAt, 4);
    }
    if (count != 0 && entrySize < (wide ? 56u : 32u))
        Fail("program headers of " + std::to_string(entrySize) + " bytes are too short");
    if (tableAt > size || count * entrySize > size - tableAt)
        Fail("cut inside the program headers");

    ImageRegions::Parsed parsed;
    parsed.Unit = "segment";
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t header = tableAt + i * entrySize;
        if (read.At(header, 4) != LoadType) continue;
        const uint64_t offset = read.At(header + (wide ? 8 : 4), word);
        const uint64_t address = read.At(header + (wide ? 24 : 12), word);
        const uint64_t length = read.At(header + (wide ? 32 : 16), word);
        if (length == 0) continue;
        if (offset > size || length > size - offset)
            ImageRegions::Fail(parsed, static_cast<uint32_t>(i),
                               "cut inside the segment's contents");
        parsed.Regions.push_back({address, static_cast<uint32_t>(offset),
                                  static_cast<uint32_t>(length), static_cast<uint32_t>(i)});
    }
    if (parsed.Regions.empty()) Fail("no loadable segment with contents");
    return parsed;
}

}  // namespace ElfImage

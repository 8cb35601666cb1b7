// Firmware files whose records place bytes at addresses (Intel HEX, S-record, ELF, UF2): the
// regions their parsers find in them, and the one flat image the regions make.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ImageRegions {

// `Size` bytes from `From` in the parsed buffer, to be placed at `Address`.
struct Region {
    uint64_t Address;
    uint32_t From;
    uint32_t Size;
    uint32_t Where;  // the line index of its first record, or its block or segment number
};

// Where a text format's data record put its bytes in the buffer, and the index of its line.
struct Record {
    uint32_t From;
    uint32_t Line;
};

// What a parser found. The text formats decode their records into the front of the buffer they
// are given and merge records that continue one another; the binary formats point into the
// buffer as it is.
struct Parsed {
    std::vector<Region> Regions;  // in file order, none empty
    std::vector<Record> Records;  // text formats only: every data record, in file order
    const char* Unit = nullptr;   // "block" or "segment"; the text formats name lines instead
};

// Adds a text format's data record, decoded to `from`, to the last region when it continues it.
void AddRecord(Parsed& parsed, uint64_t address, uint32_t from, uint32_t size, uint32_t line);

// Fails (EFormatError) at a line of a text format, or at a block or segment of the others.
[[noreturn]] void Fail(const Parsed& parsed, uint32_t where, const std::string& message);

// "0800FF00": 8 upper-case digits, 16 for an address beyond 32 bits.
std::string HexAddress(uint64_t address);

// The address at offset 0 of the flat image, and its size.
struct Extent {
    uint64_t Start;
    uint64_t Size;
};
// The extent of the flat image from `base`, or from the lowest address that holds data. Fails
// when data lies below `base`, or when the image would be 2 GiB or more.
Extent ExtentOf(const Parsed& parsed, std::optional<uint64_t> base);

// The flat image: every region's bytes at its address minus the start, `fill` between them.
// Fails as ExtentOf does, and when two records give one address different values.
std::vector<uint8_t> Flatten(const Parsed& parsed, std::span<const uint8_t> bytes,
                             std::optional<uint64_t> base, uint8_t fill);

}  // namespace ImageRegions

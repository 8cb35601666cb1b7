#include "ImageRegions.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "Errors.h"
#include "FileAccess.h"
#include "HexUnit.h"

namespace ImageRegions {

namespace {

// The line or block that gave the byte at `address` of `region`.
uint32_t WhereOf(const Parsed& parsed, const Region& region, uint64_t address) {
    if (parsed.Unit) return region.Where;
    const uint32_t from = region.From + static_cast<uint32_t>(address - region.Address);
    auto after = std::upper_bound(parsed.Records.begin(), parsed.Records.end(), from,
                                  [](uint32_t at, const Record& r) { return at < r.From; });
    return after == parsed.Records.begin() ? region.Where : (after - 1)->Line;
}

[[noreturn]] void Conflict(const Parsed& parsed, const Region& earlier, const Region& later,
                           uint64_t address, std::span<const uint8_t> bytes) {
    auto value = [&](const Region& r) { return bytes[r.From + (address - r.Address)]; };
    uint32_t first = WhereOf(parsed, earlier, address), second = WhereOf(parsed, later, address);
    uint8_t firstValue = value(earlier), secondValue = value(later);
    if (first > second) {
        std::swap(first, second);
        std::swap(firstValue, secondValue);
    }
    const std::string other = parsed.Unit
                                  ? std::string("in ") + parsed.Unit + " " + std::to_string(first)
                                  : "on line " + std::to_string(first + 1);
    Fail(parsed, second,
         "address " + HexAddress(address) + " is given " + HexUnit::HexByte(secondValue) +
             " here but " + HexUnit::HexByte(firstValue) + " " + other);
}

}  // namespace

void AddRecord(Parsed& parsed, uint64_t address, uint32_t from, uint32_t size, uint32_t line) {
    parsed.Records.push_back({from, line});
    if (!parsed.Regions.empty()) {
        Region& last = parsed.Regions.back();
        if (last.Address + last.Size == address && last.From + last.Size == from) {
            last.Size += size;
            return;
        }
    }
    parsed.Regions.push_back({address, from, size, line});
}

void Fail(const Parsed& parsed, uint32_t where, const std::string& message) {
    if (parsed.Unit)
        throw EFormatError(parsed.Unit + (" " + std::to_string(where)) + ": " + message, -1);
    throw EFormatError(message, static_cast<int32_t>(where));
}

std::string HexAddress(uint64_t address) {
    if (address >> 32)
        return HexUnit::Hex32(static_cast<uint32_t>(address >> 32)) +
               HexUnit::Hex32(static_cast<uint32_t>(address));
    return HexUnit::Hex32(static_cast<uint32_t>(address));
}

Extent ExtentOf(const Parsed& parsed, std::optional<uint64_t> base) {
    if (parsed.Regions.empty()) return {base.value_or(0), 0};
    const Region* lowest = &parsed.Regions.front();
    uint64_t end = 0;
    for (const Region& r : parsed.Regions) {
        if (r.Address < lowest->Address) lowest = &r;
        if (r.Address > UINT64_MAX - r.Size)
            Fail(parsed, r.Where,
                 "data at " + HexAddress(r.Address) + " runs past the highest address");
        end = std::max(end, r.Address + r.Size);
    }
    const uint64_t start = base.value_or(lowest->Address);
    if (lowest->Address < start)
        Fail(
            parsed, lowest->Where,
            "data at " + HexAddress(lowest->Address) + " lies below the base " + HexAddress(start));
    if (end - start > FileAccess::LargestFile) {
        const std::string span =
            base ? "data up to " + HexAddress(end - 1) + " from the base " + HexAddress(start)
                 : "data from " + HexAddress(start) + " to " + HexAddress(end - 1);
        throw EFormatError(span + " would make an image of 2 GiB or more", -1);
    }
    return {start, end - start};
}

std::vector<uint8_t> Flatten(const Parsed& parsed, std::span<const uint8_t> bytes,
                             std::optional<uint64_t> base, uint8_t fill) {
    const Extent extent = ExtentOf(parsed, base);
    std::vector<Region> order = parsed.Regions;
    auto byAddress = [](const Region& a, const Region& b) { return a.Address < b.Address; };
    if (!std::is_sorted(order.begin(), order.end(), byAddress))
        std::stable_sort(order.begin(), order.end(), byAddress);

    std::vector<uint8_t> image;
    image.reserve(extent.Size);
    FileAccess::PrepareLargeBuffer(image.data(), extent.Size);
    image.resize(extent.Size, fill);
    // Everything below `covered` has been written, the stretch from `coverer`'s start with it.
    uint64_t covered = extent.Start;
    const Region* coverer = nullptr;
    for (const Region& r : order) {
        uint8_t* to = image.data() + (r.Address - extent.Start);
        const uint8_t* from = bytes.data() + r.From;
        uint64_t same = r.Address < covered ? std::min<uint64_t>(covered - r.Address, r.Size) : 0;
        if (same && std::memcmp(to, from, same) != 0) {
            uint64_t at = std::mismatch(to, to + same, from).first - to;
            Conflict(parsed, *coverer, r, r.Address + at, bytes);
        }
        std::memcpy(to + same, from + same, r.Size - same);
        if (r.Address + r.Size > covered) {
            covered = r.Address + r.Size;
            coverer = &r;
        }
    }
    return image;
}

}  // namespace ImageRegions

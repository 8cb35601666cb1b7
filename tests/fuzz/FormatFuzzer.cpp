// Feeds random files through the four firmware format parsers and the flattening. Besides
// crashes and undefined behaviour it looks for regions outside the file, errors on lines the file
// does not have, and flat images that do not hold every region's bytes at its address. Images
// above 1 MiB are not flattened: such sizes are what the records ask for, and only slow the search.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ElfImage.h"
#include "Errors.h"
#include "FirmwareFormats.h"
#include "ImageRegions.h"
#include "IntelHex.h"
#include "SRecord.h"
#include "Uf2Image.h"

namespace {

constexpr uint64_t LargestFlattened = 1 << 20;

// The line an error names must exist; the binary formats name none.
void CheckLine(const EFormatError& e, const uint8_t* data, size_t size, bool text) {
    const int64_t lines = 1 + std::count(data, data + size, '\n');
    if (text ? e.Line < 0 || e.Line >= lines : e.Line != -1) std::abort();
}

template <typename Parse>
void Check(const uint8_t* data, size_t size, bool text, Parse parse) {
    std::vector<uint8_t> bytes(data, data + size);
    try {
        const ImageRegions::Parsed parsed = parse(bytes);
        for (const ImageRegions::Region& r : parsed.Regions) {
            if (r.Size == 0 || uint64_t{r.From} + r.Size > bytes.size()) std::abort();
        }
        const ImageRegions::Extent extent = ImageRegions::ExtentOf(parsed, std::nullopt);
        if (extent.Size > LargestFlattened) return;
        const std::vector<uint8_t> image = ImageRegions::Flatten(parsed, bytes, std::nullopt, 0xA5);
        if (image.size() != extent.Size) std::abort();
        for (const ImageRegions::Region& r : parsed.Regions) {
            if (std::memcmp(image.data() + (r.Address - extent.Start), bytes.data() + r.From,
                            r.Size) != 0)
                std::abort();
        }
    } catch (const EFormatError& e) {
        CheckLine(e, data, size, text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Check(data, size, true, [](std::vector<uint8_t>& b) { return IntelHex::Parse(b); });
    Check(data, size, true, [](std::vector<uint8_t>& b) { return SRecord::Parse(b); });
    Check(data, size, false, [](std::vector<uint8_t>& b) { return ElfImage::Parse(b); });
    Check(data, size, false, [](std::vector<uint8_t>& b) { return Uf2Image::Parse(b); });
    std::vector<uint8_t> bytes(data, data + size);
    if (FirmwareFormats::Recognise(bytes) == FirmwareFormats::Format::Raw) {
        if (FirmwareFormats::Flatten(bytes, {FirmwareFormats::Format::Auto, {}, 0}).size() != size)
            std::abort();
    }
    return 0;
}

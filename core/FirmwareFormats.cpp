#include "FirmwareFormats.h"

#include <utility>

#include "ElfImage.h"
#include "HexUnit.h"
#include "ImageRegions.h"
#include "IntelHex.h"
#include "SRecord.h"
#include "Uf2Image.h"

namespace FirmwareFormats {

namespace {

void Replace(std::vector<uint8_t>& bytes, const Options& options) {
    std::vector<uint8_t> image = Flatten(bytes, options);
    bytes = {};  // the file's text need not stay beside the image
    HexUnit::ReplaceImage(image);
}

}  // namespace

std::optional<Format> FormatNamed(std::string_view name) {
    if (name == "raw") return Format::Raw;
    if (name == "ihex") return Format::IntelHex;
    if (name == "srec") return Format::SRecord;
    if (name == "elf") return Format::Elf;
    if (name == "uf2") return Format::Uf2;
    if (name == "auto") return Format::Auto;
    return std::nullopt;
}

Format Recognise(std::span<const uint8_t> bytes) {
    if (ElfImage::HasMagic(bytes)) return Format::Elf;
    if (Uf2Image::HasMagic(bytes)) return Format::Uf2;
    size_t at = 0;
    while (at < bytes.size() &&
           (bytes[at] == '\n' || bytes[at] == '\r' || bytes[at] == ' ' || bytes[at] == '\t'))
        ++at;
    if (at < bytes.size() && bytes[at] == ':') return Format::IntelHex;
    if (at + 1 < bytes.size() && bytes[at] == 'S' && bytes[at + 1] >= '0' && bytes[at + 1] <= '9')
        return Format::SRecord;
    return Format::Raw;
}

std::vector<uint8_t> Flatten(std::vector<uint8_t>& bytes, const Options& options) {
    const Format kind = options.Kind == Format::Auto ? Recognise(bytes) : options.Kind;
    ImageRegions::Parsed parsed;
    switch (kind) {
        case Format::Raw:
        case Format::Auto:
            return std::move(bytes);
        case Format::IntelHex:
            parsed = IntelHex::Parse(bytes);
            break;
        case Format::SRecord:
            parsed = SRecord::Parse(bytes);
            break;
        case Format::Elf:
            parsed = ElfImage::Parse(bytes);
            break;
        case Format::Uf2:
            parsed = Uf2Image::Parse(bytes);
            break;
    }
    return ImageRegions::Flatten(parsed, bytes, options.Base, options.Fill);
}

void Load(const std::filesystem::path& fileName, const Options& options) {
    if (options.Kind == Format::Raw) return HexUnit::LoadImage(fileName);
    std::vector<uint8_t> bytes = HexUnit::ReadImageFile(fileName);
    Replace(bytes, options);
}

void LoadFromStandardInput(const Options& options) {
    if (options.Kind == Format::Raw) return HexUnit::LoadImageFromStandardInput();
    std::vector<uint8_t> bytes = HexUnit::ReadImageFromStandardInput();
    Replace(bytes, options);
}

}  // namespace FirmwareFormats

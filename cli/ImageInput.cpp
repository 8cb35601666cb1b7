#include "ImageInput.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <string_view>
#include <utility>

#include "Cp1251.h"
#include "Errors.h"
#include "Output.h"

namespace ImageInput {

FirmwareFormats::Options Chosen;

namespace {

// The value after `option`, taken out with it. False when the option is given twice or lacks its
// value; `value` stays empty when it is not given.
bool TakeValue(std::vector<std::string>& args, std::string_view option,
               std::optional<std::string>& value) {
    auto found = std::find(args.begin(), args.end(), option);
    if (found == args.end()) return true;
    if (found + 1 == args.end()) return false;
    value = *(found + 1);
    args.erase(found, found + 2);
    return std::find(args.begin(), args.end(), option) == args.end();
}

// Hexadecimal digits, with or without 0x, at most `digits` of them.
std::optional<uint64_t> HexValue(std::string_view text, size_t digits) {
    if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
    if (text.empty() || text.size() > digits) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                           : -1;
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<uint64_t>(digit);
    }
    return value;
}

bool Refuse(std::FILE* err, const std::string& reason) {
    std::fputs(("vantrel-cli: " + reason + "\n").c_str(), err);
    return false;
}

}  // namespace

bool TakeOptions(std::vector<std::string>& args, std::FILE* err) {
    std::optional<std::string> format, base, fill;
    for (auto [option, value] :
         {std::pair{"--format", &format}, std::pair{"--base", &base}, std::pair{"--fill", &fill}}) {
        if (!TakeValue(args, option, *value))
            return Refuse(err, std::string(option) + " needs a value and may be given once");
    }
    if (format) {
        auto kind = FirmwareFormats::FormatNamed(*format);
        if (!kind)
            return Refuse(err,
                          "unknown format '" + *format + "': raw, ihex, srec, elf, uf2 or auto");
        Chosen.Kind = *kind;
    }
    if ((base || fill) && Chosen.Kind == FirmwareFormats::Format::Raw)
        return Refuse(err, "--base and --fill need a --format other than raw");
    if (base) {
        Chosen.Base = HexValue(*base, 16);
        if (!Chosen.Base)
            return Refuse(err, "--base takes a hexadecimal address, not '" + *base + "'");
    }
    if (fill) {
        auto byte = HexValue(*fill, 2);
        if (!byte) return Refuse(err, "--fill takes a hexadecimal byte, not '" + *fill + "'");
        Chosen.Fill = static_cast<uint8_t>(*byte);
    }
    return true;
}

bool Load(const std::filesystem::path& image, std::FILE* err) {
    try {
        if (image == "-")
            FirmwareFormats::LoadFromStandardInput(Chosen);
        else
            FirmwareFormats::Load(image, Chosen);
        return true;
    } catch (const Exception& e) {
        std::string where = Cp1251::FromPath(image);
        if (e.Line >= 0) where += ":" + std::to_string(e.Line + 1);
        ReportFailure(err, where, e.Message);
    } catch (const std::bad_alloc&) {
        ReportFailure(err, Cp1251::FromPath(image), "Out of memory");
    }
    return false;
}

}  // namespace ImageInput

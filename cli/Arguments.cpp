#include "Arguments.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
// After windows.h, whose macros would rename it.
#include <shellapi.h>
#endif

namespace Arguments {
namespace {

bool IsOption(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// The options that take the next argument as their value.
constexpr std::string_view ValueOptions[] = {"--expect", "--format", "--base", "--fill"};

bool Refuse(const std::string& reason) {
    std::fputs(("vantrel-cli: " + reason + "\n").c_str(), stderr);
    return false;
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

}  // namespace

std::vector<std::string> Read(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i) {
        int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(length > 0 ? length - 1 : 0, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), length, nullptr, nullptr);
        args.push_back(std::move(arg));
    }
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

std::filesystem::path Path(const std::string& argument) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(argument.begin(), argument.end()));
#else
    return argument;
#endif
}

bool WellFormed(const std::vector<std::string>& args) {
    for (auto arg = args.begin(); arg != args.end(); ++arg) {
        if (!IsOption(*arg)) continue;
        if (std::count(args.begin(), args.end(), *arg) > 1) return false;
        if (std::find(std::begin(ValueOptions), std::end(ValueOptions), *arg) ==
            std::end(ValueOptions))
            continue;
        if (arg + 1 == args.end() || (arg + 1)->empty() || IsOption(*(arg + 1))) return false;
        ++arg;
    }
    return true;
}

bool Take(std::vector<std::string>& args, std::string_view option) {
    auto found = std::find(args.begin(), args.end(), option);
    if (found == args.end()) return false;
    args.erase(found);
    return true;
}

std::optional<std::string> TakeValue(std::vector<std::string>& args, std::string_view option) {
    auto found = std::find(args.begin(), args.end(), option);
    if (found == args.end()) return std::nullopt;
    std::string value = *(found + 1);
    args.erase(found, found + 2);
    return value;
}

bool OneStandardInput(const std::vector<std::string>& args, const char* message) {
    return std::count(args.begin(), args.end(), "-") <= 1 || Refuse(message);
}

bool TakeFormat(std::vector<std::string>& args, FirmwareFormats::Options& options) {
    const auto format = TakeValue(args, "--format");
    const auto base = TakeValue(args, "--base");
    const auto fill = TakeValue(args, "--fill");
    if (format) {
        auto kind = FirmwareFormats::FormatNamed(*format);
        if (!kind)
            return Refuse("unknown format '" + *format + "': raw, ihex, srec, elf, uf2 or auto");
        options.Kind = *kind;
    }
    if ((base || fill) && options.Kind == FirmwareFormats::Format::Raw)
        return Refuse("--base and --fill need a --format other than raw");
    if (base) {
        options.Base = HexValue(*base, 16);
        if (!options.Base) return Refuse("--base takes a hexadecimal address, not '" + *base + "'");
    }
    if (fill) {
        auto byte = HexValue(*fill, 2);
        if (!byte) return Refuse("--fill takes a hexadecimal byte, not '" + *fill + "'");
        options.Fill = static_cast<uint8_t>(*byte);
    }
    return true;
}

}  // namespace Arguments

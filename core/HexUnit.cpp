#include "HexUnit.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "Errors.h"
#include "FileAccess.h"

namespace HexUnit {

std::vector<uint8_t> ImageBytes;
uint32_t ImageSize = 0;

namespace {

constexpr uint32_t ShortReadCode = 100;

std::string LoaderMessage(int code) {
    switch (code) {
        case 2:
            return "File not found";
        case 3:
            return "Invalid filename";
        case 4:
            return "Too many open files";
        case 5:
            return "File access denied";
        case ShortReadCode:
            return "Read beyond end of file";
        default:
            return "I/O error " + std::to_string(code);
    }
}

[[noreturn]] void Fail(int code) {
    throw EInOutError(code, LoaderMessage(code));
}

// Closes the file however the load ends.
struct OpenFile {
    FileAccess::Handle handle = FileAccess::NoFile;
    ~OpenFile() { FileAccess::Close(handle); }
};

// Digit pairs for every byte value, so a byte is one two-character copy.
const std::array<char, 512>& HexPairs() {
    static const std::array<char, 512> pairs = [] {
        std::array<char, 512> p{};
        for (int b = 0; b < 256; ++b) {
            p[2 * b] = Digits[b >> 4];
            p[2 * b + 1] = Digits[b & 15];
        }
        return p;
    }();
    return pairs;
}

char* PutHex32(char* out, uint32_t value) {
    const auto& pairs = HexPairs();
    for (int shift = 24; shift >= 0; shift -= 8) {
        std::memcpy(out, &pairs[2 * ((value >> shift) & 0xFF)], 2);
        out += 2;
    }
    return out;
}

// Read at its size where it has one: a file that ends sooner fails, and what was added to it
// meanwhile stays out.
std::vector<uint8_t> ReadFrom(FileAccess::Handle file,
                              const FileAccess::ReadProgress& progress = {}) {
    std::vector<uint8_t> bytes;
    std::optional<uint64_t> size;
    int error = FileAccess::ReadAll(file, bytes, size, progress);
    if (error == FileAccess::TooLarge) throw EInOutError(0, "File too large");
    if (error) Fail(FileAccess::LoaderCode(error));
    if (size && bytes.size() < *size) Fail(ShortReadCode);
    if (size && bytes.size() > *size) bytes.resize(*size);
    return bytes;
}

}  // namespace

std::vector<uint8_t> ReadImageFile(const std::filesystem::path& fileName,
                                   const FileAccess::ReadProgress& progress) {
    OpenFile file;
    if (int error = FileAccess::OpenForReading(fileName, file.handle))
        Fail(FileAccess::LoaderCode(error, fileName));
    return ReadFrom(file.handle, progress);
}

std::vector<uint8_t> ReadImageFromStandardInput() {
    FileAccess::Handle input = FileAccess::StandardInput();
    if (input == FileAccess::NoFile) Fail(FileAccess::BadHandle);
    return ReadFrom(input);
}

void ReplaceImage(std::vector<uint8_t>& bytes) {
    ImageSize = static_cast<uint32_t>(bytes.size());
    ImageBytes.swap(bytes);
}

// Read into a new buffer; the image changes only once the whole file is in.
void LoadImage(const std::filesystem::path& fileName, const FileAccess::ReadProgress& progress) {
    std::vector<uint8_t> bytes = ReadImageFile(fileName, progress);
    ReplaceImage(bytes);
}

void LoadImageFromStandardInput() {
    std::vector<uint8_t> bytes = ReadImageFromStandardInput();
    ReplaceImage(bytes);
}

std::string HexByte(uint32_t value) {
    const auto& pairs = HexPairs();
    return std::string(&pairs[2 * (value & 0xFF)], 2);
}

std::string Hex32(uint32_t value) {
    std::string text(8, '0');
    PutHex32(text.data(), value);
    return text;
}

std::string DumpHeader() {
    std::string header(8 + AddressSeparator.size(), ' ');
    for (uint32_t b = 0; b < 16; ++b) {
        header += HexByte(b);
        header += ByteSeparator;
    }
    return header;
}

uint64_t DumpRowCount() {
    return ImageSize == 0 ? 0 : uint64_t{ImageSize} / 16 + 1;
}

void AppendDumpRows(std::string& out, uint64_t first, uint64_t count, std::string_view eol) {
    size_t at = out.size();
    // Room for the widest rows plus the 4-byte stores that run one character past a row.
    out.resize(at + count * (DumpRowWidth + eol.size()) + 1);
    char* end = FormatDumpRows(out.data() + at, first, count, eol);
    out.resize(static_cast<size_t>(end - out.data()));
}

char* FormatDumpRows(char* out, uint64_t first, uint64_t count, std::string_view eol) {
    // "XX " and a spare byte for every byte value: one 4-byte store per image byte.
    static const std::array<uint32_t, 256> groups = [] {
        std::array<uint32_t, 256> g{};
        for (int b = 0; b < 256; ++b) {
            char text[4] = {Digits[b >> 4], Digits[b & 15], ' ', ' '};
            std::memcpy(&g[b], text, 4);
        }
        return g;
    }();
    char* p = out;
    for (uint64_t k = first; k < first + count; ++k) {
        uint64_t offset = 16 * k;
        p = PutHex32(p, static_cast<uint32_t>(offset));
        std::memcpy(p, AddressSeparator.data(), AddressSeparator.size());
        p += AddressSeparator.size();
        uint64_t n = offset < ImageSize ? std::min<uint64_t>(16, ImageSize - offset) : 0;
        const uint8_t* bytes = n ? ImageBytes.data() + offset : nullptr;
        for (uint64_t j = 0; j < n; ++j, p += 3) std::memcpy(p, &groups[bytes[j]], 4);
        std::memcpy(p, eol.data(), eol.size());
        p += eol.size();
    }
    return p;
}

namespace {

// The first place in [from, to) where `pattern` starts. The standard searchers (Boyer-Moore-
// Horspool, memmem) ran at a fraction of memory speed over large images: instead, a word at a
// time, only places where two of the pattern's bytes match are looked at further.
std::optional<uint64_t> Search(const uint8_t* image, uint64_t from, uint64_t to,
                               const std::vector<uint8_t>& pattern) {
    const size_t length = pattern.size();
    if (to < from + length) return std::nullopt;
    const uint8_t head = pattern[0];
    if (length == 1) {
        const void* found = std::memchr(image + from, head, to - from);
        if (!found) return std::nullopt;
        return static_cast<uint64_t>(static_cast<const uint8_t*>(found) - image);
    }
    // The second byte compared: the last one that differs from the first, so that a run of the
    // first byte in the image does not pass the filter everywhere.
    size_t other = length - 1;
    while (other > 1 && pattern[other] == head) --other;
    const uint64_t ones = 0x0101010101010101u, highs = 0x8080808080808080u;
    const uint64_t heads = ones * head, others = ones * pattern[other];
    auto matches = [&](uint64_t at) {
        return image[at] == head && image[at + other] == pattern[other] &&
               std::memcmp(image + at, pattern.data(), length) == 0;
    };
    const uint64_t end = to - length + 1;  // one past the last place a match may start
    constexpr uint64_t Block = 32;
    uint64_t at = from;
    for (; at + Block <= end; at += Block) {
        uint64_t candidates = 0;  // a high bit per byte where both bytes may match
        for (uint64_t word = at; word < at + Block; word += 8) {
            uint64_t first, second;
            std::memcpy(&first, image + word, 8);
            std::memcpy(&second, image + word + other, 8);
            const uint64_t differ = (first ^ heads) | (second ^ others);
            candidates |= (differ - ones) & ~differ & highs;
        }
        if (candidates == 0) continue;
        for (uint64_t place = at; place < at + Block; ++place)
            if (matches(place)) return place;
    }
    for (; at < end; ++at)
        if (matches(at)) return at;
    return std::nullopt;
}

}  // namespace

std::optional<uint32_t> FindBytes(const std::vector<uint8_t>& pattern, uint64_t start) {
    if (pattern.empty() || pattern.size() > ImageSize) return std::nullopt;
    start = std::min<uint64_t>(start, ImageSize);
    std::optional<uint64_t> found = Search(ImageBytes.data(), start, ImageSize, pattern);
    if (!found) {
        const uint64_t before = std::min<uint64_t>(ImageSize, start + pattern.size() - 1);
        found = Search(ImageBytes.data(), 0, before, pattern);
    }
    if (!found) return std::nullopt;
    return static_cast<uint32_t>(*found);
}

}  // namespace HexUnit

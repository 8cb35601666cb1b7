#include "RunUnit.h"

#include <array>
#include <iterator>
#include <new>
#include <string>
#include <string_view>

#include "CheckSumUnit.h"
#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "StringUnit.h"

namespace RunUnit {

std::array<uint16_t, 1024> RegisterFile{};

namespace {

LineList* Script = nullptr;
LineList* Listing = nullptr;

// In the order of the table's first sixteen entries, so that an entry's index is its command.
enum class Command {
    Ptr,
    Ptr4,
    If2,
    If3,
    Set2,
    Set2E,
    Set2A,
    Swp,
    Shl2,
    Shr2,
    Inc2,
    Dec2,
    Equ2,
    Equ16,
    Ch16,
    Inv2
};

// Matched in this order, exactly (same length, same bytes). The last four are held in the table
// but select nothing: a line beginning with one of them does nothing.
constexpr Keyword Table[] = {
    {"PTR", 1, 0, true, false},    {"PTR4", 1, 0, true, false},  {"IF2", 2, 0, true, false},
    {"IF3", 2, 0, true, false},    {"SET2", 2, 1, false, false}, {"SET2E", 2, 1, false, false},
    {"SET2A", 2, 2, false, false}, {"SWP", 1, 1, false, false},  {"SHL2", 2, 1, false, false},
    {"SHR2", 2, 1, false, false},  {"INC2", 2, 1, false, false}, {"DEC2", 2, 1, false, false},
    {"EQU2", 1, 1, true, false},   {"EQU16", 1, 1, true, false}, {"CH16", 3, 3, false, false},
    {"INV2", 1, 1, false, false},  {"PTR2", 0, 0, false, true},  {"PTR2<>", 0, 0, false, true},
    {"IF", 0, 0, false, true},     {"IF2<>", 0, 0, false, true},
};

// A word of up to 7 bytes packed into one number with its length, so that a keyword is found by
// comparing numbers: every script line's first word is looked up, comment lines included.
constexpr size_t LongestPacked = 7;

constexpr bool EveryEntry(bool (*holds)(const Keyword&)) {
    for (const Keyword& keyword : Table)
        if (!holds(keyword)) return false;
    return true;
}
static_assert(EveryEntry([](const Keyword& k) { return k.Text.size() <= LongestPacked; }),
              "a keyword is longer than the 7 bytes a packed word holds");
static_assert(EveryEntry([](const Keyword& k) { return k.Arguments <= MaxArguments; }),
              "a keyword reads more arguments than MaxArguments, the size of the argument array");
static_assert(EveryEntry([](const Keyword& k) { return k.Registers <= k.Arguments; }),
              "a keyword has more register arguments than arguments");

constexpr uint64_t Packed(std::string_view word) {
    uint64_t packed = word.size();
    for (size_t i = 0; i < word.size(); ++i) packed |= uint64_t{uint8_t(word[i])} << (8 * i + 8);
    return packed;
}

constexpr auto PackedKeywords = [] {
    std::array<uint64_t, std::size(Table)> packed{};
    for (size_t i = 0; i < packed.size(); ++i) packed[i] = Packed(Table[i].Text);
    return packed;
}();

// Upper-case hexadecimal without leading zeros, as the range messages show numbers.
std::string HexNumber(uint32_t value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), HexUnit::Digits[value & 15]);
        value >>= 4;
    } while (value != 0);
    return digits;
}

uint16_t& Register(int32_t number) {
    return RegisterFile[static_cast<uint32_t>(number) - 1];
}

// The first offset, in reading order, of the `count` bytes from `first` that lies outside the
// image; false when all lie inside. A range that starts inside first leaves it at ImageSize.
bool OutsideImage(uint32_t first, uint32_t count, uint32_t& offending) {
    uint32_t size = HexUnit::ImageSize;
    if (count == 0) return false;
    if (first >= size) {
        offending = first;
        return true;
    }
    if (uint64_t{first} + count > size) {
        offending = size;
        return true;
    }
    return false;
}

void CheckImage(uint32_t first, uint32_t count) {
    uint32_t offending;
    if (OutsideImage(first, count, offending)) {
        throw ERangeError("Offset " + HexNumber(offending) +
                          " is beyond the end of the image (size " + HexNumber(HexUnit::ImageSize) +
                          ")");
    }
}

uint32_t Byte(uint32_t offset) {
    return HexUnit::ImageBytes[offset];
}
uint32_t BigEndian(uint32_t offset, int bytes) {
    uint32_t value = 0;
    for (int j = 0; j < bytes; ++j) value = value << 8 | Byte(offset + j);
    return value;
}

void AppendValueLine(std::string_view label, std::string_view value) {
    std::string line;
    line.reserve(label.size() + 2 + value.size());
    line.append(label);
    line += StringUnit::LabelMark;
    line += StringUnit::WordDelimiter;
    line.append(value);
    Listing->Add(line);
}

// A test prints its label when the image holds `bytes` bytes at `offset` equal to `expected` as
// a 32-bit number; bytes beyond the image do not match.
void AppendFlagIfEqual(std::string_view label, uint32_t offset, int bytes, int32_t expected) {
    uint32_t offending;
    if (OutsideImage(offset, bytes, offending)) return;
    if (BigEndian(offset, bytes) == static_cast<uint32_t>(expected)) Listing->Add(label);
}

void Execute(int32_t index) {
    // The script does not change during a run, so the line is read once for all its scans.
    const std::string_view line = Script->Get(index);
    const Keyword* keyword = FindKeyword(StringUnit::WordAt(line, 1));
    if (keyword == nullptr || keyword->Inert) return;

    const ArgumentScan scan = ScanArguments(line, *keyword);
    int32_t arg[MaxArguments];
    for (int j = 0; j < keyword->Arguments; ++j) arg[j] = StringUnit::HexAt(line, scan.At[j]);
    std::string_view label;
    if (keyword->Label) label = StringUnit::QuotedAt(line, scan.At[keyword->Arguments]);

    for (int j = 0; j < keyword->Registers; ++j) CheckRegister(arg[j]);

    const uint32_t a = static_cast<uint32_t>(arg[0]);
    switch (static_cast<Command>(keyword - Table)) {
        case Command::Ptr:
            CheckImage(a, 1);
            AppendValueLine(label, HexUnit::Hex32(Byte(a)));
            break;
        case Command::Ptr4:
            CheckImage(a, 4);
            AppendValueLine(label, HexUnit::Hex32(BigEndian(a, 4)));
            break;
        case Command::If2:
            AppendFlagIfEqual(label, a, 2, arg[1]);
            break;
        case Command::If3:
            AppendFlagIfEqual(label, a, 3, arg[1]);
            break;
        case Command::Set2: {
            uint32_t offset = static_cast<uint32_t>(arg[1]);
            CheckImage(offset, 2);
            Register(arg[0]) = static_cast<uint16_t>(BigEndian(offset, 2));
            break;
        }
        case Command::Set2E:
            Register(arg[0]) = static_cast<uint16_t>(arg[1]);
            break;
        case Command::Set2A: {
            // The word whose low byte lies at the offset held in R[m]: offsets R[m]-1 and R[m].
            uint32_t offset = uint32_t{Register(arg[1])} - 1;
            CheckImage(offset, 2);
            Register(arg[0]) = static_cast<uint16_t>(BigEndian(offset, 2));
            break;
        }
        case Command::Swp: {
            uint16_t& r = Register(arg[0]);
            r = static_cast<uint16_t>(r << 8 | r >> 8);
            break;
        }
        case Command::Shl2: {
            uint16_t& r = Register(arg[0]);
            r = static_cast<uint16_t>(uint32_t{r} << (arg[1] & 31));
            break;
        }
        case Command::Shr2: {
            uint16_t& r = Register(arg[0]);
            r = static_cast<uint16_t>(uint32_t{r} >> (arg[1] & 31));
            break;
        }
        case Command::Inc2: {
            uint16_t& r = Register(arg[0]);
            r = static_cast<uint16_t>(r + static_cast<uint32_t>(arg[1]));
            break;
        }
        case Command::Dec2: {
            uint16_t& r = Register(arg[0]);
            r = static_cast<uint16_t>(r - static_cast<uint32_t>(arg[1]));
            break;
        }
        case Command::Equ2:
            AppendValueLine(label, HexUnit::Hex32(Register(arg[0])));
            break;
        case Command::Equ16: {
            uint32_t offset = Register(arg[0]);
            CheckImage(offset, 16);
            AppendValueLine(label, StringUnit::TextRun16(offset));
            break;
        }
        case Command::Ch16: {
            uint32_t lo = Register(arg[0]);
            uint32_t hi = Register(arg[1]);
            if (hi >= lo) CheckImage(lo, hi - lo + 1);
            Register(arg[2]) = CheckSumUnit::Checksum16(arg[0], arg[1]);
            break;
        }
        case Command::Inv2: {
            uint16_t& r = Register(arg[0]);
            r = static_cast<uint16_t>(0xFFFF - r);
            break;
        }
    }
}

}  // namespace

std::span<const Keyword> Keywords() {
    return Table;
}

const Keyword* FindKeyword(std::string_view word) {
    if (word.size() > LongestPacked) return nullptr;
    const uint64_t packed = Packed(word);
    for (size_t i = 0; i < PackedKeywords.size(); ++i) {
        if (PackedKeywords[i] == packed) return &Table[i];
    }
    return nullptr;
}

ArgumentScan ScanArguments(std::string_view line, const Keyword& keyword) {
    // Each mark is one past the start of its word; the next scan starts one past the mark, so a
    // one-character argument followed by one blank makes the scan skip the following word.
    ArgumentScan scan{};
    int32_t start = static_cast<int32_t>(keyword.Text.size()) + 1;
    const int items = keyword.Arguments + (keyword.Label ? 1 : 0);
    for (int j = 0; j < items; ++j) {
        const int32_t mark = StringUnit::NextWordMark(line, start);
        scan.Start[j] = start;
        // HexAt reads from the word's start; QuotedAt from just after its first character.
        scan.At[j] = j < keyword.Arguments ? mark - 1 : mark;
        start = mark + 1;
    }
    return scan;
}

void CheckRegister(int32_t number) {
    if (static_cast<uint32_t>(number) - 1 >= RegisterFile.size()) {
        throw ERangeError("Register number " + HexNumber(static_cast<uint32_t>(number)) +
                          " is out of range 1 to 400");
    }
}

void Bind(LineList& script, LineList& listing) {
    Script = &script;
    Listing = &listing;
}

void ExecuteLine(int32_t index) {
    try {
        Execute(index);
    } catch (Exception& error) {
        error.Line = index;
        throw;
    } catch (const std::bad_alloc&) {
        // The listing so far stays; the run ends as at any other failing line.
        Exception error("Out of memory");
        error.Line = index;
        throw error;
    }
}

void RunScript() {
    Listing->Clear();
    const int32_t count = Script->Count();
    for (int32_t index = 0; index < count; ++index) ExecuteLine(index);
}

}  // namespace RunUnit

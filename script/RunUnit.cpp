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
constexpr auto Table = [] {
    using enum Argument;
    return std::to_array<Keyword>({
        {"PTR", {Offset}, Lists::Value},
        {"PTR4", {Offset}, Lists::Value},
        {"IF2", {Offset, Value}, Lists::Flag, 2},
        {"IF3", {Offset, Value}, Lists::Flag, 3},
        {"SET2", {Register, Offset}},
        {"SET2E", {Register, Value16}},
        {"SET2A", {Register, Register}},
        {"SWP", {Register}},
        {"SHL2", {Register, Shift}},
        {"SHR2", {Register, Shift}},
        {"INC2", {Register, Value16}},
        {"DEC2", {Register, Value16}},
        {"EQU2", {Register}, Lists::Value},
        {"EQU16", {Register}, Lists::Value},
        {"CH16", {Register, Register, Register}},
        {"INV2", {Register}},
        {"PTR2", {}, Lists::Nothing, 0, true},
        {"PTR2<>", {}, Lists::Nothing, 0, true},
        {"IF", {}, Lists::Nothing, 0, true},
        {"IF2<>", {}, Lists::Nothing, 0, true},
    });
}();

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
static_assert(EveryEntry([](const Keyword& k) {
                  for (int j = k.Arguments(); j < MaxArguments; ++j)
                      if (k.Kinds[j] != Argument::None) return false;
                  return true;
              }),
              "a keyword has an argument after a None");
static_assert(EveryEntry([](const Keyword& k) {
                  return (k.Prints == Lists::Flag) == (k.Compares > 0) &&
                         (k.Prints != Lists::Nothing || k.Inert ||
                          k.Kinds[0] == Argument::Register);
              }),
              "a test compares no bytes, or a command that lists nothing stores in no register");

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

// The 16 image bytes from `offset` as characters; the caller has checked that they lie inside.
std::string TextRun16(uint32_t offset) {
    return std::string(reinterpret_cast<const char*>(HexUnit::ImageBytes.data()) + offset, 16);
}

// A test prints its label when the image holds `bytes` bytes at `offset` equal to `expected` as
// a 32-bit number; bytes beyond the image do not match.
void AppendFlagIfEqual(std::string_view label, uint32_t offset, int bytes, int32_t expected) {
    uint32_t offending;
    if (OutsideImage(offset, bytes, offending)) return;
    if (BigEndian(offset, bytes) == static_cast<uint32_t>(expected)) Listing->Add(label);
}

// The value that PTR, PTR4, EQU2 or EQU16 lists, once the image is known to hold its bytes.
std::string ListedValue(Command command, const int32_t* arg) {
    const uint32_t a = static_cast<uint32_t>(arg[0]);
    switch (command) {
        case Command::Ptr:
            CheckImage(a, 1);
            return HexUnit::Hex32(Byte(a));
        case Command::Ptr4:
            CheckImage(a, 4);
            return HexUnit::Hex32(BigEndian(a, 4));
        case Command::Equ16: {
            uint32_t offset = Register(arg[0]);
            CheckImage(offset, 16);
            return TextRun16(offset);
        }
        default:  // EQU2
            return HexUnit::Hex32(Register(arg[0]));
    }
}

// What an arithmetic command leaves in its register r; the store keeps the low 16 bits.
uint32_t Computed(Command command, uint32_t r, uint32_t value) {
    switch (command) {
        case Command::Set2E:
            return value;
        case Command::Swp:
            return r << 8 | r >> 8;
        case Command::Shl2:
            return r << (value & 31);
        case Command::Shr2:
            return r >> (value & 31);
        case Command::Inc2:
            return r + value;
        case Command::Dec2:
            return r - value;
        default:  // INV2
            return 0xFFFF - r;
    }
}

// Runs a command that stores into a register: a word or a checksum of the image, or a value
// computed from the register.
void Store(Command command, const int32_t* arg) {
    uint16_t& r = Register(arg[0]);
    switch (command) {
        case Command::Set2: {
            uint32_t offset = static_cast<uint32_t>(arg[1]);
            CheckImage(offset, 2);
            r = static_cast<uint16_t>(BigEndian(offset, 2));
            break;
        }
        case Command::Set2A: {
            // The word whose low byte lies at the offset held in R[m]: offsets R[m]-1 and R[m].
            uint32_t offset = uint32_t{Register(arg[1])} - 1;
            CheckImage(offset, 2);
            r = static_cast<uint16_t>(BigEndian(offset, 2));
            break;
        }
        case Command::Ch16: {
            uint32_t lo = r;
            uint32_t hi = Register(arg[1]);
            if (hi >= lo) CheckImage(lo, hi - lo + 1);
            Register(arg[2]) = CheckSumUnit::Checksum16(lo, hi);
            break;
        }
        default:
            r = static_cast<uint16_t>(Computed(command, r, static_cast<uint32_t>(arg[1])));
    }
}

void Execute(int32_t index) {
    // The script does not change during a run, so the line is read once for all its scans.
    const std::string_view line = Script->Get(index);
    const Keyword* keyword = FindKeyword(StringUnit::WordAt(line, 1));
    if (keyword == nullptr || keyword->Inert) return;

    const ArgumentScan scan = ScanArguments(line, *keyword);
    const int arguments = keyword->Arguments();
    int32_t arg[MaxArguments] = {};
    for (int j = 0; j < arguments; ++j) arg[j] = StringUnit::HexAt(line, scan.At[j]);
    std::string_view label;
    if (keyword->Label()) label = StringUnit::QuotedAt(line, scan.At[arguments]);
    for (int j = 0; j < arguments; ++j)
        if (keyword->Kinds[j] == Argument::Register) CheckRegister(arg[j]);

    const auto command = static_cast<Command>(keyword - Table.data());
    switch (keyword->Prints) {
        case Lists::Flag:
            AppendFlagIfEqual(label, static_cast<uint32_t>(arg[0]), keyword->Compares, arg[1]);
            break;
        case Lists::Value:
            AppendValueLine(label, ListedValue(command, arg));
            break;
        case Lists::Nothing:
            Store(command, arg);
            break;
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
    const int arguments = keyword.Arguments();
    for (int j = 0; j < arguments + (keyword.Label() ? 1 : 0); ++j) {
        const int32_t mark = StringUnit::NextWordMark(line, start);
        scan.Start[j] = start;
        // HexAt reads from the word's start; QuotedAt from just after its first character.
        scan.At[j] = j < arguments ? mark - 1 : mark;
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

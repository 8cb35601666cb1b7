// The register file and the interpreter of the sixteen script commands.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

class LineList;

namespace RunUnit {

// R[n] is RegisterFile[n - 1], for n from 1 to 1024. All zero at start; no run resets it.
extern std::array<uint16_t, 1024> RegisterFile;

// The most hexadecimal arguments a keyword's line reads.
inline constexpr int MaxArguments = 3;

// What an argument of a command is: the run checks register numbers before the line has any
// effect, and the checker names each argument by its kind.
enum class Argument : uint8_t {
    None,      // after the last argument
    Register,  // a register number, 1 to 1024
    Offset,    // an image offset
    Value,     // a number used as it is
    Value16,   // a number of which only the low 16 bits count
    Shift,     // a shift count
};

// What a command lists: nothing, its label and a value, or its label alone when its test matches.
enum class Lists : uint8_t { Nothing, Value, Flag };

// An entry of the keyword table. A command's line reads its hexadecimal arguments, then its label
// when it lists something. Inert entries are held in the table but select no command.
struct Keyword {
    std::string_view Text;
    std::array<Argument, MaxArguments> Kinds;
    Lists Prints = Lists::Nothing;
    int Compares = 0;  // the image bytes a test compares with its value
    bool Inert = false;

    constexpr int Arguments() const {
        int count = 0;
        while (count < MaxArguments && Kinds[count] != Argument::None) ++count;
        return count;
    }
    constexpr bool Label() const { return Prints != Lists::Nothing; }
};

// The whole table, in the order in which a line's first word is compared with it.
std::span<const Keyword> Keywords();
// The entry that `word` equals exactly (same length, same bytes), or null.
const Keyword* FindKeyword(std::string_view word);

// Where a line that starts with `keyword` reads its arguments. Item j (the hexadecimal arguments
// in order, then the label) is found by a NextWordMark scan that starts at Start[j]; HexAt reads
// argument j from At[j], and QuotedAt reads the label from At[Arguments()].
struct ArgumentScan {
    int32_t Start[MaxArguments + 1];
    int32_t At[MaxArguments + 1];
};
ArgumentScan ScanArguments(std::string_view line, const Keyword& keyword);

// Raises the run's ERangeError when `number` names no register.
void CheckRegister(int32_t number);

// The lists that ExecuteLine reads the script from and appends the listing to: two distinct
// lists, bound before the first run.
void Bind(LineList& script, LineList& listing);

// Runs script line `index`. Raises EConvertError or ERangeError, with its Line set to `index`,
// before the line has any effect; when memory runs out while it lists, Exception "Out of memory"
// with its Line set, and the listing keeps the lines before.
void ExecuteLine(int32_t index);

// Clears the listing, reads the script's count once and runs lines 0 to n-1, stopping at the
// first error, which is rethrown with its Line set to the failing index.
void RunScript();

}  // namespace RunUnit

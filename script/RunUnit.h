// The register file and the interpreter of the sixteen script commands.
#pragma once

#include <array>
#include <cstdint>

class LineList;

namespace RunUnit {

// R[n] is RegisterFile[n - 1], for n from 1 to 1024. All zero at start; no run resets it.
extern std::array<uint16_t, 1024> RegisterFile;

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

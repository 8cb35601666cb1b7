// `vantrel-cli dump IMAGE`: the dump's header and rows on standard output.
#pragma once

#include <cstdio>
#include <filesystem>

#include "Output.h"

// Returns the exit status: 0, or 1 after printing "IMAGE: MESSAGE" on `err`. An IMAGE of "-"
// reads standard input. A reader that goes away ends the dump quietly, with 0.
int DumpCommand(const std::filesystem::path& image, std::FILE* out, std::FILE* err);

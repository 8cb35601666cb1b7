// `vantrel-cli dump IMAGE`: the dump's header and rows on standard output.
#pragma once

#include <cstdio>
#include <string>

#include "Output.h"

// Returns the exit status: 0, or 1 after printing "IMAGE: MESSAGE" on `err`.
int DumpCommand(const std::string& image, std::FILE* out, std::FILE* err);

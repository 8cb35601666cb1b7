// How vantrel-cli reads the IMAGE of dump and run: raw, or as a firmware format flattened into
// one image (--format, --base, --fill).
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FirmwareFormats.h"

namespace ImageInput {

// Chosen on the command line; raw unless --format was given.
extern FirmwareFormats::Options Chosen;

// Takes --format FORMAT, --base ADDRESS and --fill XX from anywhere in `args` into Chosen.
// False, after a line on `err` saying why, when one lacks its value, has a bad one, is given
// twice, or --base or --fill comes without a --format other than raw.
bool TakeOptions(std::vector<std::string>& args, std::FILE* err);

// Loads IMAGE (standard input for "-") as Chosen says. False after "IMAGE: MESSAGE", or
// "IMAGE:LINE: MESSAGE" for a fault on a line of a text format, on `err`.
bool Load(const std::filesystem::path& image, std::FILE* err);

}  // namespace ImageInput

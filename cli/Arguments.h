// The command line of vantrel-cli: its arguments as UTF-8, and the options taken out of them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FirmwareFormats.h"

namespace Arguments {

// The arguments after the program's name. On Windows they are taken as the system keeps them, in
// UTF-16, and converted: the ANSI code page would turn every character it lacks into '?'.
std::vector<std::string> Read(int argc, char** argv);

// A path from the command line (UTF-8 on Windows; the bytes as given elsewhere) as the file
// system names it.
std::filesystem::path Path(const std::string& argument);

// False for an option given twice, or one whose value is missing, empty or another option. Once
// this holds, Take and TakeValue find each option at most once, and with its value.
bool WellFormed(const std::vector<std::string>& args);

// Removes `option` from `args`; true when it was there.
bool Take(std::vector<std::string>& args, std::string_view option);

// Removes `option` and its value from `args`; the value, or nothing when it was not there.
std::optional<std::string> TakeValue(std::vector<std::string>& args, std::string_view option);

// Standard input can be read once. False, after "vantrel-cli: MESSAGE" on standard error, when
// more than one argument is "-".
bool OneStandardInput(const std::vector<std::string>& args, const char* message);

// Takes --format FORMAT, --base ADDRESS and --fill XX out of `args` into `options` (raw unless
// --format is given). False, after a line on standard error saying why, for a bad value, or
// --base or --fill without a --format other than raw.
bool TakeFormat(std::vector<std::string>& args, FirmwareFormats::Options& options);

}  // namespace Arguments

// `vantrel-cli run IMAGE SCRIPT [SCRIPT...]`: runs each script against the image, as the desktop
// program's Run command does, and writes each run's listing to standard output.
#pragma once

#include <cstdio>
#include <filesystem>
#include <vector>

// Returns the exit status: 0 when every script ran to its end; 1 after "PATH: MESSAGE" when the
// image or a script cannot be loaded, or after "SCRIPT:LINE: MESSAGE" when a script line fails
// (the listing so far is written first, and no further script runs). All scripts share one
// register file. An IMAGE or a SCRIPT of "-" reads standard input. A reader that goes away ends
// the output quietly, and the run goes on. Every byte of the listing, also what a reader that
// went away did not take, is appended to `copy` when it is given.
int RunScripts(const std::filesystem::path& image,
               const std::vector<std::filesystem::path>& scripts, std::FILE* out, std::FILE* err,
               std::string* copy = nullptr);

// `vantrel-cli check [--quiet] SCRIPT...`: the script lines whose run does not do what they seem
// to, reported as compilers report warnings.
#pragma once

#include <cstdio>
#include <filesystem>
#include <vector>

// Writes "SCRIPT:LINE:COLUMN: warning: MESSAGE", the line and a caret under the column for each
// finding (only the first of these with `quiet`). Returns 0 when nothing was found, 1 when
// something was or a script could not be read ("PATH: MESSAGE" on `err`).
int CheckCommand(const std::vector<std::filesystem::path>& scripts, bool quiet, std::FILE* out,
                 std::FILE* err);

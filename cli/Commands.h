// The commands of vantrel-cli. Each returns the exit status and writes its results to `out`,
// its failures to `err`. An IMAGE or a SCRIPT of "-" reads standard input. A reader that goes
// away ends the output quietly.
#pragma once

#include <cstdio>
#include <filesystem>
#include <vector>

#include "FirmwareFormats.h"

namespace Commands {

// Exit status 3: the output differs from the approved listing.
inline constexpr int ListingDiffers = 3;

// `dump IMAGE`: the dump's header and rows. 0, or 1 after "IMAGE: MESSAGE" ("IMAGE:LINE:
// MESSAGE" for a fault on a line of a text format).
int Dump(const std::filesystem::path& image, const FirmwareFormats::Options& format, std::FILE* out,
         std::FILE* err);

// What `run` does with its whole listing besides writing it.
struct Expectation {
    std::filesystem::path Listing;  // --expect: compare with this approved listing; empty: no
    bool Approve = false;           // --approve: write it there instead
};

// `run IMAGE SCRIPT...`: runs each script against the image, as the desktop program's Run
// command does, and writes each run's listing. 0 when every script ran to its end; 1 after
// "PATH: MESSAGE" when the image or a script cannot be loaded, or after "SCRIPT:LINE: MESSAGE"
// when a script line fails (the listing so far is written first, and no further script runs).
// All scripts share one register file. Behind a reader that went away the run goes on, and its
// whole listing is still compared with the approved one (LF and CR LF alike, a final line end
// optional: ListingDiffers after a unified diff on `err`) or approved (replaced atomically, as
// scripts are saved).
int Run(const std::filesystem::path& image, const FirmwareFormats::Options& format,
        const std::vector<std::filesystem::path>& scripts, const Expectation& expect,
        std::FILE* out, std::FILE* err);

// `check SCRIPT...`: "SCRIPT:LINE:COLUMN: warning: MESSAGE", the line and a caret under the
// column for each line whose run does not do what it seems to (only the first of these with
// `quiet`). 0 when nothing was found, 1 when something was or a script could not be read.
int Check(const std::vector<std::filesystem::path>& scripts, bool quiet, std::FILE* out,
          std::FILE* err);

}  // namespace Commands

// How vantrel-cli writes its single-byte (CP1251) texts: as the terminal shows text when it
// writes to one, byte for byte when it writes to a file or a pipe.
#pragma once

#include <cstdio>
#include <string_view>

namespace Terminal {

enum class Encoding {
    Auto,  // decided per stream
    Raw,   // --raw: CP1251 bytes everywhere
    Utf8   // --utf8: UTF-8 bytes everywhere
};

// Chosen on the command line; Auto unless --raw or --utf8 was given.
extern Encoding Chosen;

// A terminal on POSIX, a console on Windows.
bool IsTerminal(std::FILE* stream);

// Listing text: on a terminal as UTF-8 (POSIX) or through the console's UTF-16 interface
// (Windows); elsewhere unchanged, so pipelines and comparisons see the listing's own bytes.
// False when the write failed.
bool WriteListing(std::FILE* stream, std::string_view text);

// Messages: as UTF-8 on POSIX wherever they go, as UTF-16 on a Windows console, unchanged in a
// Windows file or pipe.
bool WriteMessage(std::FILE* stream, std::string_view text);

}  // namespace Terminal

// How vantrel-cli writes its single-byte (CP1251) texts: as the terminal shows text when it
// writes to one, byte for byte when it writes to a file or a pipe.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace Terminal {

// The line end of text written by the command-line tool: CR LF on Windows, LF elsewhere.
#ifdef _WIN32
inline constexpr const char* LineEnd = "\r\n";
#else
inline constexpr const char* LineEnd = "\n";
#endif

inline constexpr const char* OutOfMemory = "Out of memory";

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

// Prints "WHERE: MESSAGE" on `err`, with the error box's full-stop rule applied. Both are CP1251
// texts, written as WriteMessage writes messages.
void ReportFailure(std::FILE* err, const std::string& where, const std::string& message);

// The exit status once a write of WHAT failed with `error`: 0 when the reader went away (it has
// all it wanted), 1 after "vantrel-cli: cannot write WHAT: REASON" on `err` otherwise.
int WriteFailed(std::FILE* err, const char* what, int error);

}  // namespace Terminal

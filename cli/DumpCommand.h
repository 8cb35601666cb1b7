// `vantrel-cli dump IMAGE`: the dump's header and rows on standard output.
#pragma once

#include <cstdio>
#include <string>

// Returns the exit status: 0, or 1 after printing "IMAGE: MESSAGE" on `err`.
int DumpCommand(const std::string& image, std::FILE* out, std::FILE* err);

// The line end of text written by the command-line tool: CR LF on Windows, LF elsewhere.
#ifdef _WIN32
inline constexpr const char* OutputLineEnd = "\r\n";
#else
inline constexpr const char* OutputLineEnd = "\n";
#endif

// How vantrel-cli writes to the terminal.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// The line end of text written by the command-line tool: CR LF on Windows, LF elsewhere.
#ifdef _WIN32
inline constexpr const char* OutputLineEnd = "\r\n";
#else
inline constexpr const char* OutputLineEnd = "\n";
#endif

// A path from the command line (UTF-8 on Windows, where the arguments come in as UTF-16; the
// bytes as given elsewhere) as the file system names it.
std::filesystem::path PathFromArgument(const std::string& argument);

// Prints "WHERE: MESSAGE" on `err`, with the error box's full-stop rule applied. Both are CP1251
// texts, written as Terminal::WriteMessage writes messages.
void ReportFailure(std::FILE* err, const std::string& where, const std::string& message);

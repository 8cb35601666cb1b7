// How vantrel-cli writes to the terminal.
#pragma once

#include <cstdio>
#include <string>

// The line end of text written by the command-line tool: CR LF on Windows, LF elsewhere.
#ifdef _WIN32
inline constexpr const char* OutputLineEnd = "\r\n";
#else
inline constexpr const char* OutputLineEnd = "\n";
#endif

// A path from the command line as the program names files (CP1251).
std::string PathFromArgument(const std::string& argument);

// Prints "WHERE: MESSAGE" on `err`, with the error box's full-stop rule applied. Both are CP1251
// texts, written as Terminal::WriteMessage writes messages.
void ReportFailure(std::FILE* err, const std::string& where, const std::string& message);

// Runs a program through the shell and collects its exit status and output, byte for byte.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "TempDir.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

struct ProgramResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

#ifdef _WIN32
// cmd.exe: double quotes, and backslashes in paths.
inline std::string ShellQuote(const std::string& word) {
    std::string quoted = "\"";
    for (char c : word) quoted += c == '/' && word.find('/') == 0 ? '\\' : c;
    return quoted + "\"";
}
inline constexpr const char* NoInput = "NUL";
#else
inline std::string ShellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
inline constexpr const char* NoInput = "/dev/null";
#endif

// `input`, when given, is a file fed to standard input.
inline ProgramResult RunProgram(const std::vector<std::string>& argv,
                                const std::string& input = "") {
    TempDir dir;
    std::string command;
    for (const auto& word : argv) command += ShellQuote(word) + " ";
    command += "> " + ShellQuote(dir.Path("out")) + " 2> " + ShellQuote(dir.Path("err"));
    command += " < " + (input.empty() ? std::string(NoInput) : ShellQuote(input));
    ProgramResult result;
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd.exe strips one outer pair of quotes
    // The words are UTF-8, as the tool takes its arguments; the wide call keeps every character.
    result.Status =
        _wsystem(std::filesystem::path(std::u8string(command.begin(), command.end())).c_str());
#else
    int raw = std::system(command.c_str());
    result.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    result.Out = TempDir::Read(dir.Path("out"));
    result.Err = TempDir::Read(dir.Path("err"));
    return result;
}

// Text as the command-line tool writes it: each LF as the platform's line end.
inline std::string Listed(std::string text) {
#ifdef _WIN32
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.replace(at, 1, "\r\n");
#endif
    return text;
}

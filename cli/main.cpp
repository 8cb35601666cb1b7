// vantrel-cli: the batch runner for terminals and build pipelines.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "DumpCommand.h"
#include "Output.h"
#include "RunCommand.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, whose macros would rename it.
#include <shellapi.h>
#else
#include <csignal>
#endif

namespace {

constexpr const char* Usage =
    "usage: vantrel-cli dump IMAGE\n"
    "       vantrel-cli run IMAGE SCRIPT [SCRIPT...]\n"
    "       vantrel-cli --help | --version\n";

constexpr const char* Help =
    "Inspects firmware images.\n"
    "\n"
    "  dump IMAGE                   print the hexadecimal dump of IMAGE\n"
    "  run IMAGE SCRIPT [SCRIPT...] run each script against IMAGE in turn and print\n"
    "                               its listing; registers carry over from one script\n"
    "                               to the next\n"
    "\n"
    "An IMAGE or a SCRIPT of - reads standard input; only one of them may be -.\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or a script fails,\n"
    "2 on bad usage.\n";

int BadUsage() {
    std::fputs(Usage, stderr);
    return 2;
}

// The arguments as UTF-8. On Windows they are taken as the system keeps them, in UTF-16: the
// ANSI code page would turn every character it lacks into '?'.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i) {
        int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(length > 0 ? length - 1 : 0, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), length, nullptr, nullptr);
        args.push_back(std::move(arg));
    }
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

int Dispatch(const std::vector<std::string>& args) {
    if (args.empty()) return BadUsage();
    const std::string& command = args[0];
    if (command == "--help" || command == "-h") {
        std::fputs(Usage, stdout);
        std::fputs(Help, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("vantrel-cli %s\n", VANTREL_VERSION);
        return 0;
    }
    if (command == "dump") {
        if (args.size() != 2) return BadUsage();
        return DumpCommand(PathFromArgument(args[1]), stdout, stderr);
    }
    if (command == "run") {
        if (args.size() < 3) return BadUsage();
        // Standard input can be read once: by the image or by one script.
        if (std::count(args.begin() + 1, args.end(), "-") > 1) {
            std::fputs("vantrel-cli: only one of IMAGE and the SCRIPTs may be -\n", stderr);
            return BadUsage();
        }
        std::vector<std::filesystem::path> scripts;
        for (size_t i = 2; i < args.size(); ++i) scripts.push_back(PathFromArgument(args[i]));
        return RunCommand(PathFromArgument(args[1]), scripts, stdout, stderr);
    }
    return BadUsage();
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The texts are bytes; the line ends are written as CR LF explicitly.
    _setmode(_fileno(stdout), _O_BINARY);
#else
    // A reader that goes away (`| head`) ends the output quietly: writes then fail with EPIPE,
    // which the commands take as the end of their work, instead of the signal killing the tool.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    try {
        return Dispatch(Arguments(argc, argv));
    } catch (const std::bad_alloc&) {
        std::fputs("vantrel-cli: Out of memory.\n", stderr);
        return 1;
    }
}

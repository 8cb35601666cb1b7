// vantrel-cli: the batch runner for terminals and build pipelines.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DumpCommand.h"
#include "Output.h"
#include "RunCommand.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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
    "                               to the next; a SCRIPT of - reads standard input\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or a script fails,\n"
    "2 on bad usage.\n";

int BadUsage() {
    std::fputs(Usage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The texts are bytes; the line ends are written as CR LF explicitly.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
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
        std::vector<std::string> scripts;
        for (size_t i = 2; i < args.size(); ++i) scripts.push_back(PathFromArgument(args[i]));
        return RunCommand(PathFromArgument(args[1]), scripts, stdout, stderr);
    }
    return BadUsage();
}

// vantrel-cli: the batch runner for terminals and build pipelines.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "CheckCommand.h"
#include "DumpCommand.h"
#include "ExpectedListing.h"
#include "ImageInput.h"
#include "Output.h"
#include "RunScripts.h"
#include "Terminal.h"

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
    "       vantrel-cli run IMAGE SCRIPT [SCRIPT...] [--expect LISTING [--approve]]\n"
    "       vantrel-cli check [--quiet] SCRIPT [SCRIPT...]\n"
    "       vantrel-cli --help | --version\n"
    "       any command also takes --raw or --utf8\n"
    "       dump and run also take --format FORMAT [--base ADDRESS] [--fill XX]\n";

constexpr const char* Help =
    "Inspects firmware images.\n"
    "\n"
    "  dump IMAGE                   print the hexadecimal dump of IMAGE\n"
    "  run IMAGE SCRIPT [SCRIPT...] run each script against IMAGE in turn and print\n"
    "                               its listing; registers carry over from one script\n"
    "                               to the next\n"
    "    --expect LISTING           then compare the whole listing with the approved\n"
    "                               listing in the file LISTING (LF and CR LF alike);\n"
    "                               on a difference print a unified diff to standard\n"
    "                               error and exit with 3\n"
    "    --approve                  with --expect: write the listing to LISTING\n"
    "                               instead of comparing\n"
    "  check SCRIPT [SCRIPT...]     report the lines whose run does not do what they\n"
    "                               seem to: SCRIPT:LINE:COLUMN: warning: MESSAGE, the\n"
    "                               line and a caret under the column\n"
    "    --quiet                    print only the warning lines\n"
    "  --format FORMAT              with dump and run: read IMAGE as raw (the default),\n"
    "                               ihex, srec, elf or uf2, or recognise it (auto); its\n"
    "                               data becomes one image from the lowest address\n"
    "  --base ADDRESS               with --format: offset 0 is this hexadecimal address\n"
    "  --fill XX                    with --format: fill the holes with this hexadecimal\n"
    "                               byte (default FF)\n"
    "  --raw                        write listing text as its CP1251 bytes everywhere\n"
    "  --utf8                       write all text as UTF-8 everywhere\n"
    "  --help, -h                   print this help\n"
    "  --version                    print the version\n"
    "\n"
    "An IMAGE or a SCRIPT of - reads standard input; only one of them may be -.\n"
    "\n"
    "Listing text goes to a terminal in the terminal's encoding, and to a file or a\n"
    "pipe byte for byte as the desktop program holds it (CP1251).\n"
    "\n"
    "Exit status: 0 on success; 1 when a file cannot be read, a script fails or check\n"
    "finds something; 2 on bad usage; 3 when the listing differs from LISTING.\n";

int BadUsage() {
    std::fputs(Usage, stderr);
    return 2;
}

// Prints the help or the version: 0, or 1 when it cannot be written (a reader that goes away
// has had what it wanted). Standard output is binary on Windows: its line ends are written out.
int Print(std::string text) {
    if (std::string_view(OutputLineEnd) != "\n") {
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
            text.replace(at, 1, OutputLineEnd);
    }
    if ((std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) || errno == EPIPE)
        return 0;
    std::fprintf(stderr, "vantrel-cli: cannot write to standard output: %s\n",
                 std::strerror(errno));
    return 1;
}

bool IsOption(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// The options that take the next argument as their value.
constexpr std::string_view ValueOptions[] = {"--expect", "--format", "--base", "--fill"};

// False for an option given twice, or one whose value is missing, empty or another option.
bool WellFormed(const std::vector<std::string>& args) {
    for (auto arg = args.begin(); arg != args.end(); ++arg) {
        if (!IsOption(*arg)) continue;
        if (std::count(args.begin(), args.end(), *arg) > 1) return false;
        if (std::find(std::begin(ValueOptions), std::end(ValueOptions), *arg) ==
            std::end(ValueOptions))
            continue;
        if (arg + 1 == args.end() || (arg + 1)->empty() || IsOption(*(arg + 1))) return false;
        ++arg;
    }
    return true;
}

// Standard input can be read once: by the image or by one script.
bool OneStandardInput(const std::vector<std::string>& args, const char* message) {
    if (std::count(args.begin(), args.end(), "-") <= 1) return true;
    std::fprintf(stderr, "vantrel-cli: %s\n", message);
    return false;
}

// Removes `option` from the arguments; true when it was there.
bool Take(std::vector<std::string>& args, std::string_view option) {
    auto found = std::find(args.begin(), args.end(), option);
    if (found == args.end()) return false;
    args.erase(found);
    return true;
}

int Run(std::vector<std::string> args) {
    std::filesystem::path expected;
    auto expect = std::find(args.begin(), args.end(), "--expect");
    if (expect != args.end()) {  // its value is there: the arguments are well formed
        expected = PathFromArgument(*(expect + 1));
        args.erase(expect, expect + 2);
    }
    const bool approve = Take(args, "--approve");
    if (args.size() < 2 || (approve && expected.empty())) return BadUsage();
    if (!OneStandardInput(args, "only one of IMAGE and the SCRIPTs may be -")) return BadUsage();
    std::vector<std::filesystem::path> scripts;
    for (size_t i = 1; i < args.size(); ++i) scripts.push_back(PathFromArgument(args[i]));
    const std::filesystem::path image = PathFromArgument(args[0]);
    if (expected.empty()) return RunScripts(image, scripts, stdout, stderr);

    std::string output;
    int status = RunScripts(image, scripts, stdout, stderr, &output);
    if (status != 0) return status;
    return approve ? Approve(expected, output, stderr)
                   : CompareWithApproved(expected, output, stderr);
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

int Dispatch(std::vector<std::string> args) {
    if (!WellFormed(args)) return BadUsage();
    const bool raw = Take(args, "--raw");
    const bool utf8 = Take(args, "--utf8");
    if (raw && utf8) return BadUsage();
    if (raw) Terminal::Chosen = Terminal::Encoding::Raw;
    if (utf8) Terminal::Chosen = Terminal::Encoding::Utf8;
    if (args.empty()) return BadUsage();
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "--help" || command == "-h") return Print(std::string(Usage) + Help);
    if (command == "--version") return Print(std::string("vantrel-cli ") + VANTREL_VERSION + "\n");
    if ((command == "dump" || command == "run") && !ImageInput::TakeOptions(args, stderr))
        return BadUsage();
    if (command == "dump") {
        if (args.size() != 1) return BadUsage();
        return DumpCommand(PathFromArgument(args[0]), stdout, stderr);
    }
    if (command == "run") return Run(args);
    if (command == "check") {
        const bool quiet = Take(args, "--quiet");
        if (args.empty() || !OneStandardInput(args, "only one SCRIPT may be -")) return BadUsage();
        std::vector<std::filesystem::path> scripts;
        for (const std::string& arg : args) scripts.push_back(PathFromArgument(arg));
        return CheckCommand(scripts, quiet, stdout, stderr);
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

// vantrel-cli: the batch runner for terminals and build pipelines.
#include <cerrno>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "Arguments.h"
#include "Commands.h"
#include "Terminal.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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

// Prints the help or the version. Standard output is binary on Windows: its line ends are
// written out.
int Print(std::string text) {
    if (std::string_view(Terminal::LineEnd) != "\n") {
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
            text.replace(at, 1, Terminal::LineEnd);
    }
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
    return Terminal::WriteFailed(stderr, "to standard output", errno);
}

std::vector<std::filesystem::path> Paths(std::vector<std::string>::const_iterator first,
                                         std::vector<std::string>::const_iterator last) {
    std::vector<std::filesystem::path> paths;
    for (; first != last; ++first) paths.push_back(Arguments::Path(*first));
    return paths;
}

int Run(std::vector<std::string> args, const FirmwareFormats::Options& format) {
    Commands::Expectation expect;
    if (auto listing = Arguments::TakeValue(args, "--expect"))
        expect.Listing = Arguments::Path(*listing);
    expect.Approve = Arguments::Take(args, "--approve");
    if (args.size() < 2 || (expect.Approve && expect.Listing.empty())) return BadUsage();
    if (!Arguments::OneStandardInput(args, "only one of IMAGE and the SCRIPTs may be -"))
        return BadUsage();
    return Commands::Run(Arguments::Path(args[0]), format, Paths(args.begin() + 1, args.end()),
                         expect, stdout, stderr);
}

int Dispatch(std::vector<std::string> args) {
    if (!Arguments::WellFormed(args)) return BadUsage();
    const bool raw = Arguments::Take(args, "--raw");
    const bool utf8 = Arguments::Take(args, "--utf8");
    if (raw && utf8) return BadUsage();
    if (raw) Terminal::Chosen = Terminal::Encoding::Raw;
    if (utf8) Terminal::Chosen = Terminal::Encoding::Utf8;
    if (args.empty()) return BadUsage();
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "--help" || command == "-h") return Print(std::string(Usage) + Help);
    if (command == "--version") return Print(std::string("vantrel-cli ") + VANTREL_VERSION + "\n");
    FirmwareFormats::Options format;
    if ((command == "dump" || command == "run") && !Arguments::TakeFormat(args, format))
        return BadUsage();
    if (command == "dump") {
        if (args.size() != 1) return BadUsage();
        return Commands::Dump(Arguments::Path(args[0]), format, stdout, stderr);
    }
    if (command == "run") return Run(args, format);
    if (command == "check") {
        const bool quiet = Arguments::Take(args, "--quiet");
        if (args.empty() || !Arguments::OneStandardInput(args, "only one SCRIPT may be -"))
            return BadUsage();
        return Commands::Check(Paths(args.begin(), args.end()), quiet, stdout, stderr);
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
        return Dispatch(Arguments::Read(argc, argv));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vantrel-cli: %s.\n", Terminal::OutOfMemory);  // nothing allocated
        return 1;
    }
}

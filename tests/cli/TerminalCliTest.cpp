// End-to-end: listing text as a terminal shows it, byte for byte through a pipe.
#include <gtest/gtest.h>

#include "RunProgram.h"
#include "TempDir.h"

#ifndef _WIN32
#include <pty.h>
#include <unistd.h>
#endif

namespace {

class TerminalText : public ::testing::Test {
  protected:
    TempDir dir;
    std::string image = dir.Write("image.bin", "\x12\x34\x56\x78");
    // "Байт" in CP1251, as the desktop program holds it.
    std::string script = dir.Write("s.vts", "PTR 0002 '\xC1\xE0\xE9\xF2'\n");
};

TEST_F(TerminalText, APipeGetsTheListingsOwnBytesUnlessUtf8IsAskedFor) {
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", image, script}).Out,
              Listed("\xC1\xE0\xE9\xF2: 00000056\n"));
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", image, script, "--utf8"}).Out,
              Listed("Байт: 00000056\n"));
}

#ifndef _WIN32
// Runs the program with a pseudo-terminal as its standard output and error; what the terminal
// received, with the terminal's CR LF line ends read back as LF.
std::string RunInTerminal(const std::vector<std::string>& argv) {
    int master = -1;
    pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    if (child == 0) {
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    EXPECT_GT(child, 0);
    std::string received;
    char block[4096];
    ssize_t n;
    while ((n = read(master, block, sizeof block)) > 0) received.append(block, n);
    close(master);
    waitpid(child, nullptr, 0);
    for (size_t at = received.find("\r\n"); at != std::string::npos; at = received.find("\r\n"))
        received.erase(at, 1);
    return received;
}

TEST_F(TerminalText, ATerminalGetsUtf8UnlessRawIsAskedFor) {
    EXPECT_EQ(RunInTerminal({VANTREL_CLI, "run", image, script}), "Байт: 00000056\n");
    EXPECT_EQ(RunInTerminal({VANTREL_CLI, "run", "--raw", image, script}),
              "\xC1\xE0\xE9\xF2: 00000056\n");
    // Messages are UTF-8 wherever they go; the diff of an approved listing is listing text.
    std::string approved = dir.Write("approved.txt", "\xC1: 00000056\n");
    std::string diff = RunInTerminal({VANTREL_CLI, "run", image, script, "--expect", approved});
    EXPECT_NE(diff.find("-Б: 00000056\n+Байт: 00000056\n"), std::string::npos) << diff;
}
#endif

}  // namespace

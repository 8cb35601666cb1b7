// End-to-end: `vantrel-cli` with standard input, pipes and FIFOs, a reader that goes away, and
// memory that runs out.
#include <gtest/gtest.h>

#include <regex>

#include "RunProgram.h"
#include "TempDir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

class StreamCli : public ::testing::Test {
  protected:
    TempDir dir;
    std::string image = dir.Write("image.bin", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    std::string script = dir.Write("s.vts", "PTR4 0000 'Head'\nEQU16 01 'Bytes'\n");
};

TEST_F(StreamCli, StandardInputIsReadOnce) {
    for (auto args : {std::vector<std::string>{"run", "-", "-"},
                      std::vector<std::string>{"run", image, "-", script, "-"}}) {
        args.insert(args.begin(), VANTREL_CLI);
        auto result = RunProgram(args, script);
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Out, "");
        EXPECT_NE(result.Err.find("only one of IMAGE and the SCRIPTs may be -"), std::string::npos);
    }
    const std::string listing = RunProgram({VANTREL_CLI, "run", image, script}).Out;
    EXPECT_NE(listing.find("Head: 41424344"), std::string::npos);
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", "-", script}, image).Out, listing);
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", image, "-"}, script).Out, listing);
}

#ifndef _WIN32

// Runs `command` in bash under pipefail, with a time limit on the whole.
ProgramResult Bash(const std::string& command) {
    return RunProgram({"timeout", "30", "bash", "-o", "pipefail", "-c", command});
}

const std::string Cli = ShellQuote(VANTREL_CLI);

TEST_F(StreamCli, PipesAndDashReadStandardInputToItsEnd) {
    const std::string dump = RunProgram({VANTREL_CLI, "dump", image}).Out;
    ASSERT_NE(dump, "");
    for (const char* command :
         {"cat IMAGE | CLI dump /dev/stdin", "cat IMAGE | CLI dump -", "CLI dump <(cat IMAGE)"}) {
        std::string line = std::regex_replace(command, std::regex("IMAGE"), ShellQuote(image));
        auto result = Bash(std::regex_replace(line, std::regex("CLI"), Cli));
        EXPECT_EQ(result.Status, 0) << command;
        EXPECT_EQ(result.Err, "") << command;
        EXPECT_EQ(result.Out, dump) << command;
    }
    auto run = Bash("cat " + ShellQuote(image) + " | " + Cli + " run - " + ShellQuote(script));
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, RunProgram({VANTREL_CLI, "run", image, script}).Out);
}

TEST_F(StreamCli, AClosedStandardInputIsAnError) {
    // Before, the image took the free descriptor 0 and was read again as the script.
    auto noScript = Bash(Cli + " run " + ShellQuote(image) + " - <&-");
    EXPECT_EQ(noScript.Status, 1);
    EXPECT_EQ(noScript.Out, "");
    EXPECT_EQ(noScript.Err, "-: Bad file descriptor.\n");
    auto noImage = Bash(Cli + " dump - <&-");
    EXPECT_EQ(noImage.Status, 1);
    EXPECT_EQ(noImage.Err, "-: I/O error 9.\n");
}

TEST_F(StreamCli, AFifoIsReadAsItsWriterFillsIt) {
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // The shell holds the FIFO open for writing, and writes and closes once the tool has it open.
    const std::string quoted = ShellQuote(fifo);
    auto fed = Bash("exec 3<>" + quoted + "; " + Cli + " dump " + quoted + " 3>&- & tool=$!; " +
                    "until ls -l /proc/$tool/fd 2>/dev/null | grep -q /fifo || " +
                    "! kill -0 $tool 2>/dev/null; do sleep 0.01; done; " + "cat " +
                    ShellQuote(image) + " >&3; exec 3>&-; wait $tool");
    EXPECT_EQ(fed.Status, 0);
    EXPECT_EQ(fed.Out, RunProgram({VANTREL_CLI, "dump", image}).Out);
}

TEST_F(StreamCli, AReaderThatGoesAwayEndsTheOutputQuietly) {
    std::string big = dir.Write("big.bin", std::string(4 << 20, 'x'));
    std::string lines;  // a listing larger than a pipe holds
    for (int i = 0; i < 20000; ++i) lines += "EQU16 01 ''\n";
    const std::string run =
        " run " + ShellQuote(image) + " " + ShellQuote(dir.Write("l.vts", lines));
    for (const std::string signal : {"", "trap '' PIPE; "}) {  // as it comes, and ignored
        for (const std::string& command : {" dump " + ShellQuote(big), run}) {
            auto result = Bash(signal + Cli + command + " | head -c 100");
            EXPECT_EQ(result.Status, 0) << signal << command;
            EXPECT_EQ(result.Err, "") << signal << command;
            EXPECT_EQ(result.Out.size(), 100u);
        }
    }
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST_F(StreamCli, RunningOutOfMemoryKeepsTheListingSoFar) {
    // A listing larger than its script: between a limit too low to load the script and one high
    // enough for the whole run lies one where the run itself runs out of memory.
    std::string text;
    for (int i = 0; i < 1000000; ++i) text += "EQU16 01 ''\n";
    const std::string big = dir.Write("big.vts", text);
    const std::regex inRun(std::regex_replace(big, std::regex("[.]"), "[.]") +
                           ":([0-9]+): Out of memory[.]\n");
    long low = 1 << 10, high = 1 << 20;  // kilobytes of address space
    int checked = 0;
    while (high - low > 256 && checked == 0) {
        long limit = (low + high) / 2;
        auto result = Bash("ulimit -v " + std::to_string(limit) + "; exec " + Cli + " run " +
                           ShellQuote(image) + " " + ShellQuote(big));
        std::smatch line;
        if (result.Status == 0) {
            high = limit;
        } else if (result.Status == 1 && result.Err == big + ": Out of memory.\n") {
            low = limit;  // the script did not even load
        } else if (result.Status == 1 && std::regex_match(result.Err, line, inRun)) {
            const long lines = std::stol(line[1]) - 1;
            EXPECT_GT(lines, 0);
            EXPECT_EQ(std::count(result.Out.begin(), result.Out.end(), '\n'), lines);
            EXPECT_EQ(result.Out.substr(0, 20), ": ABCDEFGHIJKLMNOP\n:");
            ++checked;
        } else {
            FAIL() << "limit " << limit << " KiB: status " << result.Status << ", " << result.Err;
        }
    }
    if (checked == 0) GTEST_SKIP() << "no limit between loading and running found";
}
#endif

#endif

}  // namespace

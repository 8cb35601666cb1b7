// End-to-end: `vantrel-cli` with standard input, pipes, and a reader that goes away.
#include <gtest/gtest.h>

#include "RunProgram.h"
#include "TempDir.h"

namespace {

class StreamCli : public ::testing::Test {
  protected:
    TempDir dir;
    std::string image = dir.Write("image.bin", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    std::string script = dir.Write("s.vts", "PTR4 0000 'Head'\nEQU16 01 'Bytes'\n");
};

TEST_F(StreamCli, ADashReadsStandardInputForTheImageOrAScript) {
    const std::string listing = RunProgram({VANTREL_CLI, "run", image, script}).Out;
    EXPECT_NE(listing.find("Head: 41424344"), std::string::npos);
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", "-", script}, image).Out, listing);
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", image, "-"}, script).Out, listing);
    EXPECT_EQ(RunProgram({VANTREL_CLI, "dump", "-"}, image).Out,
              RunProgram({VANTREL_CLI, "dump", image}).Out);
}

#ifndef _WIN32
// Runs `command` in bash under pipefail, with a time limit on the whole.
ProgramResult Bash(const std::string& command) {
    return RunProgram({"timeout", "30", "bash", "-o", "pipefail", "-c", command});
}

const std::string Cli = ShellQuote(VANTREL_CLI);

TEST_F(StreamCli, AReaderThatGoesAwayEndsTheOutputQuietly) {
    std::string lines;  // a listing larger than a pipe holds
    for (int i = 0; i < 20000; ++i) lines += "EQU16 01 ''\n";
    const std::string run =
        " run " + ShellQuote(image) + " " + ShellQuote(dir.Write("l.vts", lines));
    for (const std::string signal : {"", "trap '' PIPE; "}) {  // as it comes, and ignored
        auto result = Bash(signal + Cli + run + " | head -c 100");
        EXPECT_EQ(result.Status, 0) << signal;
        EXPECT_EQ(result.Err, "") << signal;
        EXPECT_EQ(result.Out.size(), 100u);
    }
}
#endif

}  // namespace

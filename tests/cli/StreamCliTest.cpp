// End-to-end: `vantrel-cli` with standard input, pipes, and a reader that goes away.
#include <gtest/gtest.h>

#include "RunProgram.h"

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
}

#ifndef _WIN32
TEST_F(StreamCli, AReaderThatGoesAwayEndsTheOutputQuietly) {
    std::string lines;  // a listing larger than a pipe holds
    for (int i = 0; i < 20000; ++i) lines += "EQU16 01 ''\n";
    const std::string run = ShellQuote(VANTREL_CLI) + " run " + ShellQuote(image) + " " +
                            ShellQuote(dir.Write("l.vts", lines)) + " | head -c 100";
    for (const std::string signal : {"", "trap '' PIPE; "}) {  // as it comes, and ignored
        auto result = RunProgram({"bash", "-o", "pipefail", "-c", signal + run});
        EXPECT_EQ(result.Status, 0) << signal;
        EXPECT_EQ(result.Err, "") << signal;
        EXPECT_EQ(result.Out.size(), 100u);
    }
}
#endif

// End-to-end: `vantrel-cli` with standard input, pipes, and a reader that goes away.
#include <gtest/gtest.h>

#include "RunProgram.h"

class StreamCli : public ::testing::Test {
  protected:
    TempDir dir;
    std::string image = dir.Write("image.bin", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    std::string script = dir.Write("s.vts", "PTR4 0000 'Head'\nEQU16 01 'Bytes'\n");
    // A script whose output is larger than a pipe holds.
    std::string big = dir.Write("l.vts", [] {
        std::string lines;
        for (int i = 0; i < 20000; ++i) lines += "EQU16 01 '' x\n";  // also a finding
        return lines;
    }());
};

TEST_F(StreamCli, ADashReadsStandardInputForTheImageOrAScript) {
    const std::string listing = RunProgram({VANTREL_CLI, "run", image, script}).Out;
    EXPECT_NE(listing.find("Head: 41424344"), std::string::npos);
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", "-", script}, image).Out, listing);
    EXPECT_EQ(RunProgram({VANTREL_CLI, "run", image, "-"}, script).Out, listing);
}

#ifndef _WIN32
TEST_F(StreamCli, AReaderThatGoesAwayEndsTheOutputQuietly) {
    const std::string run = ShellQuote(VANTREL_CLI) + " run " + ShellQuote(image) + " " +
                            ShellQuote(big) + " | head -c 100";
    for (const std::string signal : {"", "trap '' PIPE; "}) {  // as it comes, and ignored
        auto result = RunProgram({"bash", "-o", "pipefail", "-c", signal + run});
        EXPECT_EQ(result.Status, 0) << signal;
        EXPECT_EQ(result.Err, "") << signal;
        EXPECT_EQ(result.Out.size(), 100u);
    }
}

TEST_F(StreamCli, BehindAReaderThatGoesAwayTheRunStillApprovesAndComparesItsWholeListing) {
    const std::string approved = dir.Path("approved.txt");
    const std::string run = ShellQuote(VANTREL_CLI) + " run " + ShellQuote(image) + " " +
                            ShellQuote(big) + " " + ShellQuote(script) + " --expect " +
                            ShellQuote(approved);
    for (const std::string approve : {" --approve", ""}) {
        auto result = RunProgram({"bash", "-o", "pipefail", "-c", run + approve + " | head -1"});
        EXPECT_EQ(result.Status, 0) << approve;
        EXPECT_EQ(result.Err, "") << approve;
    }
    EXPECT_TRUE(TempDir::Read(approved) ==
                RunProgram({VANTREL_CLI, "run", image, big, script}).Out);
}

TEST_F(StreamCli, CheckReadsStandardInputOnceAndEndsQuietlyWithoutAReader) {
    const std::string bom = dir.Write("bom.vts", std::string("\xEF\xBB\xBFSWP 01\nSWP 02\0", 17));
    auto piped = RunProgram(
        {"bash", "-c",
         "cat " + ShellQuote(bom) + " | " + ShellQuote(VANTREL_CLI) + " check --quiet -"});
    EXPECT_EQ(piped.Status, 1);
    EXPECT_NE(piped.Out.find("-:1:1: warning: a UTF-8 byte-order mark"), std::string::npos);
    EXPECT_NE(piped.Out.find("-:2:7: warning: a NUL byte"), std::string::npos);

    auto cut = RunProgram({"bash", "-o", "pipefail", "-c",
                           ShellQuote(VANTREL_CLI) + " check " + ShellQuote(big) + " | head -1"});
    EXPECT_EQ(cut.Status, 1);  // it found something
    EXPECT_EQ(cut.Err, "");
}
#endif

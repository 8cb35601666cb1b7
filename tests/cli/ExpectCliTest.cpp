// End-to-end: `run --expect` against an approved listing, and `--approve` writing one.
#include <gtest/gtest.h>

#include "RunProgram.h"
#include "TempDir.h"

namespace {

// Bytes 0..3: 12 34 56 78.
class ExpectCli : public ::testing::Test {
  protected:
    ProgramResult Run(const std::string& script, const std::vector<std::string>& options) {
        std::vector<std::string> argv = {VANTREL_CLI, "run", image, dir.Write("s.vts", script)};
        argv.insert(argv.end(), options.begin(), options.end());
        return RunProgram(argv);
    }
    TempDir dir;
    std::string image = dir.Write("image.bin", "\x12\x34\x56\x78");
    std::string listing = dir.Path("approved.txt");
};

TEST_F(ExpectCli, MatchesWhateverTheLineEndsAndTheFinalLineEnd) {
    for (const char* approved : {"a: 00000012\nb: 00000034\n", "a: 00000012\r\nb: 00000034"}) {
        dir.Write("approved.txt", approved);
        auto result = Run("PTR 0000 'a'\nPTR 0001 'b'\n", {"--expect", listing});
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Err, "");
        EXPECT_EQ(result.Out, Listed("a: 00000012\nb: 00000034\n"));  // the listing as before
    }
}

TEST_F(ExpectCli, ADifferenceIsAUnifiedDiffAndStatusThree) {
    std::string script, approved;
    const char* const bytes[] = {"12", "34", "56", "78"};
    for (int i = 0; i < 12; ++i) {
        // Appended piece by piece: GCC 12 warns wrongly about "text" + std::string here.
        const std::string label = std::string("l").append(std::to_string(i));
        script.append("PTR 000").append(std::to_string(i % 4)).append(" '").append(label);
        script.append("'\n");
        if (i != 1) approved.append(label).append(": 000000").append(bytes[i % 4]).append("\n");
    }
    // One line missing near the start, one changed near the end: two hunks.
    approved.replace(approved.find("l10: 00000056"), 13, "l10: 000000FF");
    dir.Write("approved.txt", approved + "\n");
    auto result = Run(script, {"--expect", listing});
    EXPECT_EQ(result.Status, 3);
    EXPECT_EQ(result.Err, Listed("--- " + listing +
                                 "\n+++ actual\n"
                                 "@@ -1,4 +1,5 @@\n l0: 00000012\n+l1: 00000034\n l2: 00000056\n"
                                 " l3: 00000078\n l4: 00000012\n"
                                 "@@ -7,6 +8,5 @@\n l7: 00000078\n l8: 00000012\n l9: 00000034\n"
                                 "-l10: 000000FF\n"
                                 "+l10: 00000056\n l11: 00000078\n-\n"));
}

TEST_F(ExpectCli, ApproveWritesTheListingAndAFailingRunApprovesAndComparesNothing) {
    auto approved = Run("PTR 0000 'a'\nPTR 0003 'd'\n", {"--expect", listing, "--approve"});
    EXPECT_EQ(approved.Status, 0);
    EXPECT_EQ(TempDir::Read(listing), approved.Out);
    EXPECT_EQ(Run("PTR 0000 'a'\nPTR 0003 'd'\n", {"--expect", listing}).Status, 0);
    for (auto options : {std::vector<std::string>{"--expect", listing, "--approve"},
                         std::vector<std::string>{"--expect", listing}}) {
        auto failed = Run("PTR 0000 'x'\nSWP 5\n", options);
        EXPECT_EQ(failed.Status, 1);
        EXPECT_EQ(failed.Err,
                  Listed(dir.Path("s.vts") + ":2: '$' is not a valid integer value.\n"));
    }
    EXPECT_EQ(TempDir::Read(listing), approved.Out);
    auto unwritable = Run("PTR 0000 'a'\n", {"--expect", dir.Path("no/x.txt"), "--approve"});
    EXPECT_EQ(unwritable.Status, 1);
    EXPECT_EQ(unwritable.Err.rfind(dir.Path("no/x.txt") + ": Cannot create file \"", 0), 0u);
}

TEST_F(ExpectCli, AnUnreadableListingIsPathAndMessage) {
    auto result = Run("PTR 0000 'a'\n", {"--expect", listing});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err.rfind(listing + ": Cannot open file \"", 0), 0u) << result.Err;
    EXPECT_EQ(Run("PTR 0000 'a'\n", {"--approve"}).Status, 2);
    EXPECT_EQ(Run("PTR 0000 'a'\n", {"--expect"}).Status, 2);
}

}  // namespace

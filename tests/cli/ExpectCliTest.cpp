// End-to-end: `run --expect` against an approved listing, and `--approve` writing one.
#include <gtest/gtest.h>

#include "RunProgram.h"

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

TEST_F(ExpectCli, ApproveWritesTheListingThatExpectThenMatchesWhateverTheLineEnds) {
    const std::string script = "PTR 0000 'a'\nPTR 0001 'b'\n";
    EXPECT_EQ(Run(script, {"--expect", listing, "--approve"}).Status, 0);
    EXPECT_EQ(TempDir::Read(listing), Listed("a: 00000012\nb: 00000034\n"));
    dir.Write("approved.txt", "a: 00000012\r\nb: 00000034");
    EXPECT_EQ(Run(script, {"--expect", listing}).Status, 0);

    // A failing run compares nothing, and approves nothing.
    EXPECT_EQ(Run("SWP 5\n", {"--expect", listing, "--approve"}).Status, 1);
    EXPECT_EQ(TempDir::Read(listing), "a: 00000012\r\nb: 00000034");
    auto unwritable = Run(script, {"--expect", dir.Path("no/x.txt"), "--approve"});
    EXPECT_EQ(unwritable.Status, 1);
    EXPECT_EQ(unwritable.Err.rfind(dir.Path("no/x.txt") + ": Cannot create file \"", 0), 0u);
}

TEST_F(ExpectCli, ADifferenceIsAUnifiedDiffAndStatusThree) {
    std::string script, approved;
    for (int i = 0; i < 12; ++i) {
        const std::string label = std::string("l").append(std::to_string(i));
        script.append("PTR 0000 '").append(label).append("'\n");
        if (i != 1) approved.append(label).append(i == 10 ? ": 000000FF\n" : ": 00000012\n");
    }
    // One line missing near the start, one changed near the end: two hunks.
    dir.Write("approved.txt", approved + "\n");
    auto result = Run(script, {"--expect", listing});
    EXPECT_EQ(result.Status, 3);
    EXPECT_EQ(result.Err, Listed("--- " + listing +
                                 "\n+++ actual\n"
                                 "@@ -1,4 +1,5 @@\n l0: 00000012\n+l1: 00000012\n l2: 00000012\n"
                                 " l3: 00000012\n l4: 00000012\n"
                                 "@@ -7,6 +8,5 @@\n l7: 00000012\n l8: 00000012\n l9: 00000012\n"
                                 "-l10: 000000FF\n"
                                 "+l10: 00000012\n l11: 00000012\n-\n"));
}

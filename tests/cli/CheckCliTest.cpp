// End-to-end: `check`'s compiler-style report and its exit statuses.
#include <gtest/gtest.h>

#include "RunProgram.h"
#include "TempDir.h"

namespace {

TEST(CheckCli, ReportsEachFindingWithItsLineAndACaret) {
    TempDir dir;
    std::string script = dir.Write("s.vts", "Comment\nSWP 03\n\tPTR 0002 'x'\nSWP 5\n");
    auto result = RunProgram({VANTREL_CLI, "check", script});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Out,
              Listed(script +
                     ":3:1: warning: a tab does not separate words, so \"PTR\" is not the first "
                     "word: the line is a comment and does nothing\n"
                     "  \tPTR 0002 'x'\n"
                     "  ^\n" +
                     script +
                     ":4:5: warning: the one-character word \"5\" that ends the line is not "
                     "found as the register number: the run stops here: '$' is not a valid "
                     "integer value\n"
                     "  SWP 5\n"
                     "      ^\n"));
    auto quiet = RunProgram({VANTREL_CLI, "check", "--quiet", script});
    EXPECT_EQ(quiet.Status, 1);
    EXPECT_EQ(quiet.Out.find("  SWP 5"), std::string::npos);
    EXPECT_NE(quiet.Out.find(script + ":4:5: warning: "), std::string::npos);
}

TEST(CheckCli, ExitsZeroWhenCleanOneWhenUnreadableTwoOnBadUsage) {
    TempDir dir;
    auto clean = RunProgram({VANTREL_CLI, "check", EXAMPLES_DIR "/example.vts"});
    EXPECT_EQ(clean.Status, 0);
    EXPECT_EQ(clean.Out, "");
    auto missing = RunProgram({VANTREL_CLI, "check", dir.Path("missing.vts")});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err.rfind(dir.Path("missing.vts") + ": Cannot open file", 0), 0u);
    EXPECT_EQ(RunProgram({VANTREL_CLI, "check", "--quiet"}).Status, 2);
}

}  // namespace

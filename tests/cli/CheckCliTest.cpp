// End-to-end: `check`'s compiler-style report and its exit statuses.
#include <gtest/gtest.h>

#include <algorithm>

#include "RunProgram.h"

TEST(CheckCli, ReportsEachFindingWithItsLineAndACaretAndExitsOne) {
    TempDir dir;
    std::string script = dir.Write("s.vts", "Comment\nSWP 03\nSWP 5\n");
    auto result = RunProgram({VANTREL_CLI, "check", script});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(
        result.Out,
        Listed(script + ":3:5: warning: the one-character word \"5\" that ends the line is not "
                        "found as the register number: the run stops here: '$' is not a valid "
                        "integer value\n"
                        "  SWP 5\n"
                        "      ^\n"));
    auto quiet = RunProgram({VANTREL_CLI, "check", "--quiet", script});
    EXPECT_EQ(quiet.Out.find("  SWP 5"), std::string::npos);
    EXPECT_NE(quiet.Out.find(script + ":3:5: warning: "), std::string::npos);
}

#ifndef _WIN32
TEST(CheckCli, FindingsGoOutAsTheyAreFoundInMemoryForTheScriptAlone) {
    TempDir dir;
    std::string lines;  // 100,000 findings: several times the limit below, kept all at once
    for (int i = 0; i < 100000; ++i) lines += "ptr 0000\n";
    const std::string limited = "ulimit -v 30000; " + ShellQuote(VANTREL_CLI);
    if (RunProgram({"bash", "-c", limited + " --version"}).Status != 0)
        GTEST_SKIP() << "the build needs more address space (sanitizers)";
    auto result = RunProgram(
        {"bash", "-c", limited + " check --quiet " + ShellQuote(dir.Write("s.vts", lines))});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(std::count(result.Out.begin(), result.Out.end(), '\n'), 100000);
}
#endif

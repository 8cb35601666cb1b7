// The diff `run --expect` prints: the fewest edits, hunks and their headers, and the fallback for
// large differences.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UnifiedDiff.h"

namespace {

// One line per character of `text`, which must outlive the lines.
std::vector<std::string_view> Letters(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t i = 0; i < text.size(); ++i) lines.push_back(text.substr(i, 1));
    return lines;
}

std::string Diff(std::string_view before, std::string_view after) {
    return UnifiedDiff::Between("old", Letters(before), "new", Letters(after));
}

}  // namespace

TEST(UnifiedDiff, FewestEditsInHunksWithThreeLinesOfContext) {
    const std::string header = "--- old\n+++ new\n";
    struct Case {
        const char* What;
        const char* Before;
        const char* After;
        std::string Expected;
    } cases[] = {
        {"equal", "abc", "abc", ""},
        {"insert", "ab", "axb", "@@ -1,2 +1,3 @@\n a\n+x\n b\n"},
        {"delete", "abc", "ac", "@@ -1,3 +1,2 @@\n a\n-b\n c\n"},
        {"into nothing", "", "x", "@@ -0,0 +1 @@\n+x\n"},
        {"change with context", "abcdefghi", "abcdEfghi",
         "@@ -2,7 +2,7 @@\n b\n c\n d\n-e\n+E\n f\n g\n h\n"},
        {"the fewest edits", "abcabba", "cbabac",
         "@@ -1,7 +1,6 @@\n-a\n-b\n c\n+b\n a\n b\n-b\n a\n+c\n"},
        {"contexts that touch: one hunk", "abcdefghijklmnop", "aBcdefghIjklmnop",
         "@@ -1,12 +1,12 @@\n a\n-b\n+B\n c\n d\n e\n f\n g\n h\n-i\n+I\n j\n k\n l\n"},
        {"a line between the contexts: two hunks", "abcdefghijklmnop", "aBcdefghiJklmnop",
         "@@ -1,5 +1,5 @@\n a\n-b\n+B\n c\n d\n e\n"
         "@@ -7,7 +7,7 @@\n g\n h\n i\n-j\n+J\n k\n l\n m\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Diff(c.Before, c.After), c.Expected.empty() ? "" : header + c.Expected) << c.What;
}

TEST(UnifiedDiff, BeyondAThousandDifferingLinesTheMiddleIsRemovedAndAddedWhole) {
    std::vector<std::string> before = {"head"}, after = {"head"};
    for (int i = 0; i < 1201; ++i) {
        before.push_back(i == 600 ? "keep" : std::string("a").append(std::to_string(i)));
        after.push_back(i == 600 ? "keep" : std::string("b").append(std::to_string(i)));
    }
    before.push_back("tail");
    after.push_back("tail");
    // The shortest edit keeps "keep", but takes 2400 edits.
    std::string expected = "--- old\n+++ new\n@@ -1,1203 +1,1203 @@\n head\n";
    for (size_t i = 1; i + 1 < before.size(); ++i) expected += "-" + before[i] + "\n";
    for (size_t i = 1; i + 1 < after.size(); ++i) expected += "+" + after[i] + "\n";
    expected += " tail\n";
    EXPECT_EQ(UnifiedDiff::Between("old", {before.begin(), before.end()}, "new",
                                   {after.begin(), after.end()}),
              expected);
}

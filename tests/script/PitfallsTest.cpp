// The checker: each finding names what a run does with the line, as the interpreter's own tests
// show it. (The fuzzer checks that findings which stop the run agree with the run.)
#include "Pitfalls.h"
#include "ScriptFixture.h"
#include "TempDir.h"

using Pitfalls::Finding;

using Pitfalls_ = ScriptTest;

TEST_F(Pitfalls_, EachPitfallIsNamedOnceAndPlainLinesAreLeftAlone) {
    const std::pair<const char*, const char*> cases[] = {
        {"ptr 0002 'x'", "the line is a comment and does nothing"},
        {"Set2e 01 0010", "\"Set2e\" is \"SET2E\" in another letter case"},
        {"PTR2 0002 'x'", "selects no command: the line does nothing"},
        {"EQU2 3 'x' 'y'", "skips \"'x'\" and lists the label \"y\""},
        {"EQU2 03 Total", "loses its first character: the label is \"otal\""},
        {"IF2 100000000 1234 'x'", "only the low 32 bits count, so the image offset is 00000000"},
        {"SET2E 01 12345", "uses only the low 16 bits, 2345"},
        {"IF2 0000 11234 'x'", "\"IF2\" compares 2 bytes and \"11234\" is wider"},
        {"\tPTR 0002 'x'", "a tab does not separate words, so \"PTR\""},
        {"    SWP 05", "reads the keyword as the register number"},
    };
    for (const auto& [line, says] : cases) {
        std::vector<Finding> findings = Pitfalls::FindInLine(line);
        ASSERT_EQ(findings.size(), 1u) << line;
        EXPECT_NE(findings[0].Message.find(says), std::string::npos) << findings[0].Message;
    }
    std::vector<Finding> glued = Pitfalls::FindInLine("SWP 03\tx");
    ASSERT_EQ(glued.size(), 2u);
    EXPECT_EQ(glued[0].Column, 5);  // in column order
    EXPECT_EQ(glued[1].Column, 7);
    for (const char* line :
         {"If the sum is wrong", "Swap", "IF", "A", "", "PTR2", "SWP 400", "SET2E 1  0100",
          "PTR 0002 ''", "SET2E 01 0000000000001234", "IF3 0001 0345678 'y'", "PTR 0002 'a\tb'"})
        EXPECT_TRUE(Pitfalls::FindInLine(line).empty()) << line;
}

// Findings in the file as stored: what loading the script hides.
TEST_F(Pitfalls_, TheFileAsStoredShowsWhatLoadingHides) {
    const std::string bytes = "PTR 0002 '" + std::string(5000, 'a') + "'\nPTR 0003 'y'" +
                              std::string(1, '\0') + "\nPTR 0001 'z'\n";
    TempDir dir;
    script.LoadFile(dir.Write("s.vts", bytes));
    std::vector<Finding> findings;
    Pitfalls::Find(script, bytes, [&](Finding& found) {
        findings.push_back(found);
        return true;
    });
    ASSERT_EQ(findings.size(), 3u);  // the cut also loses the closing apostrophe
    EXPECT_EQ(findings[0].Column, 4097);
    EXPECT_NE(findings[0].Message.find("5011 characters long: the run reads only its first 4096"),
              std::string::npos);
    EXPECT_EQ(findings[2].Line, 1);
    EXPECT_EQ(findings[2].Column, 13);
    EXPECT_NE(findings[2].Message.find("the run ignores it and the rest of the file"),
              std::string::npos);
}

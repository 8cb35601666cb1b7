// The checker: each finding names what a run does with the line, as the interpreter's own tests
// show it; findings that stop the run end with the run's message.
#include "Pitfalls.h"
#include "ScriptFixture.h"
#include "TempDir.h"

namespace {

using Pitfalls::Finding;

// The one finding of `line`.
Finding One(const std::string& line) {
    std::vector<Finding> findings = Pitfalls::FindInLine(line);
    EXPECT_EQ(findings.size(), 1u) << line;
    return findings.empty() ? Finding{0, 0, ""} : findings[0];
}

bool Says(const Finding& finding, std::string_view text) {
    return finding.Message.find(text) != std::string::npos;
}

using Pitfalls_ = ScriptTest;

TEST_F(Pitfalls_, WordsNearAKeywordAndInertKeywordsDoNothing) {
    for (const std::string line : {"ptr 0002 'x'", "SET2EE 01 0010", "PTR44 0002 'x'", "SWQ 01"}) {
        Finding finding = One(line);
        EXPECT_EQ(finding.Column, 1) << line;
        EXPECT_TRUE(Says(finding, "the line is a comment and does nothing")) << finding.Message;
    }
    EXPECT_TRUE(Says(One("Set2e 01 0010"), "\"Set2e\" is \"SET2E\" in another letter case"));
    EXPECT_TRUE(Says(One("CH61 01 02 01"), "one typo away from \"CH16\""));
    for (const std::string line : {"PTR2 0002 'x'", "IF2<> 0000 1234 'x'"})
        EXPECT_TRUE(Says(One(line), "selects no command: the line does nothing")) << line;
    // Free text, and every line of the sample script, are left alone.
    for (const auto& line : SampleScript) EXPECT_TRUE(Pitfalls::FindInLine(line).empty());
    for (const auto& line : {"If the sum is wrong", "Swap", "IF", "A", "", "PTR2", "SWP 400"})
        EXPECT_TRUE(Pitfalls::FindInLine(line).empty()) << line;
}

TEST_F(Pitfalls_, ScanQuirksAndLabelsAreNamed) {
    Finding skip = One("SET2E 3 0100 0200");
    EXPECT_EQ(skip.Column, 9);
    EXPECT_TRUE(Says(skip, "skips \"0100\" and reads the value from \"0200\""));
    EXPECT_TRUE(Says(One("EQU2 3 'x' 'y'"), "skips \"'x'\" and lists the label \"y\""));
    EXPECT_TRUE(Pitfalls::FindInLine("SET2E 1  0100").empty());
    EXPECT_TRUE(Says(One("EQU2 03 Total"), "loses its first character: the label is \"otal\""));
    EXPECT_TRUE(Says(One("EQU2 03 X"), "the listing line starts with \": \""));
    Finding open = One("PTR 0002 'abc  ");
    EXPECT_EQ(open.Column, 16);
    EXPECT_TRUE(Says(open, "no closing apostrophe: the label runs to the end of the line"));
    EXPECT_TRUE(Says(One("EQU2 03 'Total sum' ignored"), "\"ignored\" after the label is ignored"));
    EXPECT_TRUE(Says(One("SWP 03 comment"), "\"comment\" after the last argument is ignored"));
    EXPECT_TRUE(Pitfalls::FindInLine("PTR 0002 ''").empty());
}

TEST_F(Pitfalls_, ArgumentsThatFailStopTheRunWithTheRunsMessage) {
    const std::vector<std::pair<std::string, int>> lines = {
        {"INC2 01 0G", 9}, {"SWP 5", 5},   {"    SWP 05", 5},
        {"SET2E 01", 9},   {"SWP 401", 5}, {"CH16 01 02 00", 12}};
    for (const auto& [line, column] : lines) {
        std::vector<Finding> findings = Pitfalls::FindInLine(line);
        ASSERT_FALSE(findings.empty()) << line;
        const Finding& last = findings.back();
        EXPECT_EQ(last.Column, column) << line;
        EXPECT_TRUE(last.StopsRun) << line;
        EXPECT_TRUE(last.Message.ends_with(": the run stops here: " + ErrorOf(line))) << line;
    }
    EXPECT_TRUE(Says(One("    SWP 05"), "reads the keyword as the register number"));
}

TEST_F(Pitfalls_, WideValuesAndTabsAreNamed) {
    EXPECT_TRUE(Says(One("IF2 100000000 1234 'x'"),
                     "only the low 32 bits count, so the image offset is 00000000"));
    EXPECT_TRUE(Says(One("SET2E 01 12345"), "uses only the low 16 bits, 2345"));
    EXPECT_TRUE(Pitfalls::FindInLine("SET2E 01 0000000000001234").empty());
    EXPECT_TRUE(Says(One("IF2 0000 11234 'x'"), "\"IF2\" compares 2 bytes and \"11234\" is wider"));
    EXPECT_TRUE(Says(One("IF3 0001 1345678 'x'"), "\"IF3\" compares 3 bytes"));
    EXPECT_TRUE(Pitfalls::FindInLine("IF3 0001 0345678 'y'").empty());
    EXPECT_TRUE(Says(One("\tPTR 0002 'x'"), "a tab does not separate words, so \"PTR\""));
    std::vector<Finding> glued = Pitfalls::FindInLine("SWP 03\tx");
    ASSERT_EQ(glued.size(), 2u);
    EXPECT_EQ(glued[0].Column, 5);  // in column order
    EXPECT_EQ(glued[1].Column, 7);
    EXPECT_TRUE(Says(glued[1], "it is part of the word \"03\tx\""));
    EXPECT_TRUE(Pitfalls::FindInLine("PTR 0002 'a\tb'").empty());  // in a label, only text
}

// Findings in the file as stored: what loading the script hides.
TEST_F(Pitfalls_, TheFileAsStoredShowsWhatLoadingHides) {
    TempDir dir;
    auto find = [&](const std::string& bytes) {
        const std::string path = dir.Write("s.vts", bytes);
        script.LoadFile(path);
        return Pitfalls::Find(script, TempDir::Read(path));
    };
    auto bom = find("\xEF\xBB\xBFPTR 0002 'x'\r\nPTR 0003 'y'\r\n");
    ASSERT_EQ(bom.size(), 1u);
    EXPECT_EQ(bom[0].Line, 0);
    EXPECT_TRUE(Says(bom[0], "\"PTR\" does not run: the line is a comment"));
    auto nul = find(std::string("PTR 0002 'x'\nPTR 0003 'y'\x00\nPTR 0001 'z'\n", 40));
    ASSERT_EQ(nul.size(), 1u);
    EXPECT_EQ(nul[0].Line, 1);
    EXPECT_EQ(nul[0].Column, 13);
    EXPECT_TRUE(Says(nul[0], "the run ignores it and the rest of the file"));
    auto cut = find("PTR 0002 '" + std::string(5000, 'a') + "'\nPTR 0003 'y'\n");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].Column, 4097);
    EXPECT_TRUE(Says(cut[0], "5011 characters long: the run reads only its first 4096"));
}

}  // namespace

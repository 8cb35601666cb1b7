// The checker against the interpreter: each finding is shown on lines that a run treats as the
// finding says, and the run is asserted to do exactly that.
#include <algorithm>

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

TEST_F(Pitfalls_, WordsNearAKeywordAreCommentsThatDoNothing) {
    const std::vector<std::string> lines = {"ptr 0002 'x'",  "Set2e 01 0010",  "SET2EE 01 0010",
                                            "CH61 01 02 01", "PTR44 0002 'x'", "SE2E 01 0010",
                                            "SWQ 01"};
    for (const auto& line : lines) {
        Finding finding = One(line);
        EXPECT_EQ(finding.Column, 1) << line;
        EXPECT_TRUE(Says(finding, "the line is a comment and does nothing")) << finding.Message;
    }
    EXPECT_TRUE(Says(One("Set2e 01 0010"), "\"Set2e\" is \"SET2E\" in another letter case"));
    EXPECT_TRUE(Says(One("CH61 01 02 01"), "one typo away from \"CH16\""));
    EXPECT_EQ(Run(lines), "");
    EXPECT_EQ(R(1), 0);
    // Free text, and every line of the worked example, are left alone.
    for (const auto& line : WorkedExampleScript) EXPECT_TRUE(Pitfalls::FindInLine(line).empty());
    for (const auto& line : {"If the sum is wrong", "Set R1", "Swap", "IF", "A", ""})
        EXPECT_TRUE(Pitfalls::FindInLine(line).empty()) << line;
}

TEST_F(Pitfalls_, InertKeywordsWithArgumentsDoNothing) {
    const std::vector<std::string> lines = {"PTR2 0002 'x'", "PTR2<> 0002 'x'", "IF 0000 1234 'x'",
                                            "IF2<> 0000 1234 'x'"};
    for (const auto& line : lines)
        EXPECT_TRUE(Says(One(line), "selects no command: the line does nothing")) << line;
    EXPECT_EQ(Run(lines), "");
}

TEST_F(Pitfalls_, AOneCharacterArgumentBeforeOneBlankSkipsTheNextWord) {
    Finding finding = One("SET2E 3 0100 0200");
    EXPECT_EQ(finding.Column, 9);
    EXPECT_TRUE(Says(finding, "skips \"0100\" and reads the value from \"0200\""));
    Run({"SET2E 3 0100 0200"});
    EXPECT_EQ(R(3), 0x0200);

    EXPECT_TRUE(Says(One("EQU2 3 'x' 'y'"), "skips \"'x'\" and lists the label \"y\""));
    EXPECT_EQ(Run({"EQU2 3 'x' 'y'"}), "y: 00000200\r\n");
    EXPECT_TRUE(Pitfalls::FindInLine("SET2E 1  0100").empty());
}

TEST_F(Pitfalls_, LabelsAreReadAsTheWarningSays) {
    R(3) = 0xBC9A;
    EXPECT_TRUE(Says(One("EQU2 03 Total"), "loses its first character: the label is \"otal\""));
    EXPECT_EQ(Run({"EQU2 03 Total"}), "otal: 0000BC9A\r\n");
    for (const std::string line : {"EQU2 03", "EQU2 03 X"}) {
        EXPECT_TRUE(Says(One(line), "the listing line starts with \": \"")) << line;
        EXPECT_EQ(Run({line}), ": 0000BC9A\r\n");
    }
    Finding open = One("PTR 0002 'abc  ");
    EXPECT_EQ(open.Column, 16);
    EXPECT_TRUE(Says(open,
                     "no closing apostrophe: the label runs to the end of the line, "
                     "\"abc  \""));
    EXPECT_EQ(Run({"PTR 0002 'abc  "}), "abc  : 00000056\r\n");
    EXPECT_TRUE(Says(One("EQU2 03 'Total sum' ignored"), "\"ignored\" after the label is ignored"));
    EXPECT_EQ(Run({"EQU2 03 'Total sum' ignored"}), "Total sum: 0000BC9A\r\n");
    EXPECT_TRUE(Says(One("SWP 03 comment"), "\"comment\" after the last argument is ignored"));
    Run({"SWP 03 comment"});
    EXPECT_EQ(R(3), 0x9ABC);
    EXPECT_TRUE(Pitfalls::FindInLine("PTR 0002 ''").empty());
}

TEST_F(Pitfalls_, ArgumentsThatFailStopTheRunWithTheRunsMessage) {
    const std::vector<std::pair<std::string, int>> lines = {
        {"INC2 01 0G", 9}, {"SWP 5", 5}, {"    SWP 05", 5}, {"SET2E 01", 9}, {"SET2E 1 0100", 13}};
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

TEST_F(Pitfalls_, RegisterNumbersOutsideTheFileStopTheRun) {
    for (const std::string line : {"SWP 401", "CH16 01 02 00"}) {
        Finding finding = One(line);
        EXPECT_TRUE(finding.Message.ends_with("the run stops here: " + ErrorOf(line))) << line;
    }
    EXPECT_TRUE(Pitfalls::FindInLine("SWP 400").empty());
}

TEST_F(Pitfalls_, WideNumbersKeepOnlyTheirLowBits) {
    Finding wrapped = One("IF2 100000000 1234 'wrapped'");
    EXPECT_TRUE(Says(wrapped, "only the low 32 bits count, so the image offset is 00000000"));
    EXPECT_EQ(Run({"IF2 100000000 1234 'wrapped'"}), "wrapped\r\n");
    EXPECT_TRUE(Says(One("SET2E 01 12345"), "uses only the low 16 bits, 2345"));
    Run({"SET2E 01 12345"});
    EXPECT_EQ(R(1), 0x2345);
    EXPECT_TRUE(Pitfalls::FindInLine("SET2E 01 0000000000001234").empty());
}

TEST_F(Pitfalls_, TabsAreNoWordSeparators) {
    for (const std::string line : {"PTR\t0002 'x'", "\tPTR 0002 'x'"}) {
        EXPECT_TRUE(Says(One(line), "a tab does not separate words, so \"PTR\" is not the first"))
            << line;
        EXPECT_EQ(Run({line}), "");
    }
    std::vector<Finding> glued = Pitfalls::FindInLine("SWP 03\tx");
    ASSERT_EQ(glued.size(), 2u);
    EXPECT_EQ(glued[1].Column, 7);
    EXPECT_TRUE(Says(glued[1], "it is part of the word \"03\tx\""));
    EXPECT_EQ(ErrorOf("SWP 03\tx"), "'$03\tx' is not a valid integer value");
    EXPECT_TRUE(Pitfalls::FindInLine("\t\t").empty());
    // Inside a label a tab is only text.
    EXPECT_TRUE(Pitfalls::FindInLine("PTR 0002 'a\tb'").empty());
    EXPECT_EQ(Run({"PTR 0002 'a\tb'"}), "a\tb: 00000056\r\n");
}

TEST_F(Pitfalls_, TestsOfWiderValuesNeverMatch) {
    EXPECT_TRUE(Says(One("IF2 0000 11234 'x'"), "\"IF2\" compares 2 bytes and \"11234\" is wider"));
    EXPECT_TRUE(Says(One("IF3 0001 1345678 'x'"), "\"IF3\" compares 3 bytes"));
    EXPECT_EQ(Run({"IF2 0000 11234 'x'", "IF3 0001 1345678 'x'", "IF3 0001 0345678 'y'"}), "y\r\n");
}

// Findings in the file as stored: what loading the script hides.
class PitfallsInFiles : public ScriptTest {
  protected:
    std::vector<Finding> Load(const std::string& bytes) {
        const std::string path = dir.Write("s.vts", bytes);
        script.LoadFile(path);
        return Pitfalls::Find(script, TempDir::Read(path));
    }
    std::string RunLoaded() {
        RunUnit::RunScript();
        return std::string(listing.Text());
    }
    TempDir dir;
};

TEST_F(PitfallsInFiles, AByteOrderMarkHidesTheFirstCommand) {
    auto findings = Load("\xEF\xBB\xBFPTR 0002 'x'\r\nPTR 0003 'y'\r\n");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Line, 0);
    EXPECT_TRUE(Says(findings[0], "\"PTR\" does not run: the line is a comment"));
    EXPECT_EQ(RunLoaded(), "y: 00000078\r\n");
}

TEST_F(PitfallsInFiles, ANulByteEndsTheScript) {
    auto findings = Load(std::string("PTR 0002 'x'\nPTR 0003 'y'\x00\nPTR 0001 'z'\n", 40));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Line, 1);
    EXPECT_EQ(findings[0].Column, 13);
    EXPECT_TRUE(Says(findings[0], "the run ignores it and the rest of the file"));
    EXPECT_EQ(RunLoaded(), "x: 00000056\r\ny: 00000078\r\n");
}

TEST_F(PitfallsInFiles, LongLinesAreCut) {
    auto findings = Load("PTR 0002 '" + std::string(5000, 'a') + "'\nPTR 0003 'y'\n");
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].Column, 4097);
    EXPECT_TRUE(Says(findings[0], "5011 characters long: the run reads only its first 4096"));
    EXPECT_TRUE(Says(findings[1], "no closing apostrophe"));
    EXPECT_EQ(RunLoaded(), std::string(4086, 'a') + ": 00000056\r\ny: 00000078\r\n");
}

}  // namespace

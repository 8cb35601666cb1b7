// The interpreter: dispatch, the argument scan's quirks that stored scripts rely on, the sixteen
// commands, and how a failing line ends a run.
#include "ScriptFixture.h"

const char* const Empty = "'$' is not a valid integer value";

using Interpreter = ScriptTest;

TEST_F(Interpreter, DispatchAndArgumentScanQuirks) {
    // Only an exact keyword as the first word runs; a label that equals one is only a label.
    R(5) = 0x1234;
    EXPECT_EQ(Run({"ptr 0002 'x'", "PTR44 0002 'x'", "Free text SWP 05", "\tPTR 0002 'x'",
                   "PTR2 0002 'x'", "IF 0000 1234 'x'", "IF2<> 0000 1234 'x'", "EQU2 05 'INV2'"}),
              "INV2: 00001234\r\n");
    // A one-character word skips the next word, or is not found at the end of the line.
    R(5) = R(6) = 0x1234;
    Run({"SET2E 1  0100", "SET2E 3 0100 0200", "SWP 5 ", "   SWP 06", "     SET2E 07 0001"});
    EXPECT_EQ(R(1), 0x0100);
    EXPECT_EQ(R(3), 0x0200);
    EXPECT_EQ(R(5), 0x3412);
    EXPECT_EQ(R(6), 0x3412);
    EXPECT_EQ(R(7), 0x0001);  // the keyword may follow up to its length in blanks
    for (const char* line : {"SET2E 1 0100", "SWP 5", "INC2 05"})  // the empty word
        EXPECT_EQ(ErrorOf(line), Empty) << line;
    EXPECT_EQ(ErrorOf("    SWP 05"), "'$SWP' is not a valid integer value");

    R(3) = 0xBC9A;
    EXPECT_EQ(Run({"EQU2 3 'x' 'y'", "EQU2 03 Total", "EQU2 03", "EQU2 03 'Total sum' ignored",
                   "EQU2 03 ''Doubled'' x", "PTR 0002 'abc  ", "IF2 0000 1234"}),
              "y: 0000BC9A\r\n"
              "otal: 0000BC9A\r\n"
              ": 0000BC9A\r\n"
              "Total sum: 0000BC9A\r\n"
              "Doubled: 0000BC9A\r\n"
              "abc  : 00000056\r\n"
              "\r\n");  // a flag line with an empty label
}

TEST_F(Interpreter, ShiftCountsUseTheLowFiveBitsAndArithmeticWraps) {
    R(1) = R(2) = R(3) = R(4) = R(10) = 0x1234;
    R(5) = 0xFFFF;
    R(6) = 0x0005;
    Run({"SHL2 01 10", "SHL2 02 21", "SHR2 03 20", "SHR2 04 FFFFFFFF", "INC2 05 01",
         "DEC2 06 10001", "DEC2 07 01", "SET2E 08 12345", "INV2 09", "SHR2 0A 10"});
    const uint16_t expected[] = {0,      0x2468, 0x1234, 0,      0,  // shifts by 16, 1, 0, 31
                                 0x0004, 0xFFFF, 0x2345, 0xFFFF, 0};
    for (int r = 1; r <= 10; ++r) EXPECT_EQ(R(r), expected[r - 1]) << r;
}

TEST_F(Interpreter, TestsCompareTheFull32BitValueAndReadsAreBigEndian) {
    EXPECT_EQ(
        Run({"IF2 0000 11234 'above FFFF'", "IF2 0000 00001234 'two'", "IF3 0001 345678 'three'",
             "IF3 0001 1345678 'above FFFFFF'", "PTR4 001C 'last'"}),
        "two\r\nthree\r\nlast: 30303031\r\n");
    R(1) = 0x0001;
    Run({"SET2 02 0004", "SET2A 03 01", "SET2E 04 0010", "CH16 04 04 05", "CH16 06 06 07"});
    EXPECT_EQ(R(2), 0x9ABC);
    EXPECT_EQ(R(3), 0x1234);  // the word whose low byte is at R[1]
    EXPECT_EQ(R(5), 'B');     // one byte when both ends are the same register
    EXPECT_EQ(R(7), 0x12);    // R[6] = 0: the byte at offset 0
}

TEST_F(Interpreter, RegistersPersistAcrossRunsAndAFailingLineEndsTheRun) {
    std::vector<std::string> script = {"INC2 01 01", "EQU2 01 'r'"};
    EXPECT_EQ(Run(script), "r: 00000001\r\n");
    EXPECT_EQ(Run(script), "r: 00000002\r\n");
    EXPECT_THROW(Run({"INC2 01 01", "PTR 0002 'first'", "INC2 01 0G", "INC2 01 01"}),
                 EConvertError);
    EXPECT_EQ(listing.Text(), "first: 00000056\r\n");
    EXPECT_EQ(R(1), 3);
    // A label runs to the end of the line as the list returns it: its first 4096 characters.
    EXPECT_EQ(Run({"EQU2 01 '" + std::string(5000, 'L')}),
              std::string(4096 - 9, 'L') + ": 00000003\r\n");
}

// What a line may not touch: register numbers outside 1 to 1024 and image bytes outside the
// image fail the line before it has any effect; a test whose bytes lie outside does not match.
#include "ScriptFixture.h"

#include "CheckSumUnit.h"

namespace {

using Range = ScriptTest;

TEST_F(Range, RegisterNumbersOutside1To1024FailTheLineInArgumentOrder) {
    EXPECT_EQ(ErrorOf("SWP 401"), "Register number 401 is out of range 1 to 400");
    EXPECT_EQ(ErrorOf("EQU2 80000000 'x'"), "Register number 80000000 is out of range 1 to 400");
    EXPECT_EQ(ErrorOf("CH16 402 00 01"), "Register number 402 is out of range 1 to 400");
    EXPECT_EQ(ErrorOf("CH16 01 02 401"), "Register number 401 is out of range 1 to 400");
    EXPECT_EQ(ErrorOf("SET2A 01 401"), "Register number 401 is out of range 1 to 400");
    for (const char* line : {"SET2 00 0000", "SET2E 00 0000", "SHL2 00 01", "SHR2 00 01",
                             "INC2 00 01", "DEC2 00 01", "EQU16 00 'x'", "INV2 00"})
        EXPECT_EQ(ErrorOf(line), "Register number 0 is out of range 1 to 400") << line;
    Run({"SET2E 400 BEEF", "SET2E 001 CAFE"});
    EXPECT_EQ(RunUnit::RegisterFile[1023], 0xBEEF);
    EXPECT_EQ(RunUnit::RegisterFile[0], 0xCAFE);
}

TEST_F(Range, ConversionComesFirstThenRegistersThenTheImage) {
    EXPECT_EQ(ErrorOf("CH16 00 01 0G"), "'$0G' is not a valid integer value");
    EXPECT_EQ(ErrorOf("SET2 00 FFFF"), "Register number 0 is out of range 1 to 400");
}

TEST_F(Range, ImageReadsPastTheEndNameTheFirstOffendingOffset) {
    struct Case {
        const char* line;
        const char* offset;
    };
    R(1) = 0x0011;  // EQU16 reads 11..20
    R(2) = 0x001E;  // CH16 from 1E ...
    R(3) = 0x0025;  // ... to 25
    R(4) = 0x0030;
    R(5) = 0x0040;
    R(6) = 0x0000;  // SET2A reads FFFFFFFF and 0
    R(7) = 0x0020;  // SET2A reads 1F and 20
    const Case cases[] = {
        {"PTR4 001D 'x'", "20"},          {"PTR 0020 'x'", "20"},
        {"PTR FFFFFFFF 'x'", "FFFFFFFF"}, {"PTR4 FFFFFFFE 'x'", "FFFFFFFE"},
        {"SET2 08 001F", "20"},           {"EQU16 01 'x'", "20"},
        {"CH16 02 03 08", "20"},          {"CH16 04 05 08", "30"},
        {"SET2A 08 06", "FFFFFFFF"},      {"SET2A 08 07", "20"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf(c.line),
                  std::string("Offset ") + c.offset + " is beyond the end of the image (size 20)")
            << c.line;
    }
    EXPECT_EQ(R(8), 0);
}

TEST_F(Range, WithoutAnImageEveryImageReadFails) {
    SetImage({});
    EXPECT_EQ(ErrorOf("PTR 0000 'x'"), "Offset 0 is beyond the end of the image (size 0)");
    EXPECT_EQ(ErrorOf("CH16 01 01 02"), "Offset 0 is beyond the end of the image (size 0)");
    EXPECT_EQ(Run({"IF2 0000 0000 'x'", "IF3 0000 0000 'x'", "SET2E 01 01", "INC2 01 01"}), "");
}

TEST_F(Range, ARangeThatEndsAtTheLastByteIsInsideAndAReversedOneReadsNothing) {
    R(1) = 0x0010;
    R(2) = 0x001F;
    R(5) = 0x0040;
    R(6) = 0x0030;
    EXPECT_EQ(
        Run({"EQU16 01 'x'", "PTR4 001C 'y'", "CH16 02 02 03", "SET2 04 001E", "CH16 05 06 07"}),
        "x: BOOT V1.02 A0001\r\ny: 30303031\r\n");
    EXPECT_EQ(R(3), '1');
    EXPECT_EQ(R(4), 0x3031);
    EXPECT_EQ(R(7), 0);
}

TEST_F(Range, TestsWhoseBytesLieOutsideDoNotMatch) {
    // B[1F] is '1' (31); the byte after it is outside the image.
    EXPECT_EQ(Run({"IF2 001F 3100 'x'", "IF2 001F 0031 'x'", "IF3 001E 303100 'x'",
                   "IF2 FFFFFFFF 0012 'x'", "IF3 FFFFFFFF 001234 'x'", "IF2 001E 3031 'inside'"}),
              "inside\r\n");
}

TEST_F(Range, AFailingLineChangesNothingAndEndsTheRun) {
    R(1) = 0x001E;
    R(2) = 0x0025;
    R(3) = 0x7777;
    Failure failure = RunFailing({"PTR 0000 'before'", "CH16 01 02 03", "INC2 03 01"});
    EXPECT_EQ(failure.Line, 1);
    EXPECT_EQ(failure.Listing, "before: 00000012\r\n");
    EXPECT_EQ(R(3), 0x7777);
}

// The checksum itself, as the CH16 command and other callers use it.
TEST_F(Range, Checksum16SumsTheInclusiveRegisterHeldRange) {
    SetImage({0x01, 0x02, 0x03, 0xFF});
    R(5) = 1;
    R(6) = 3;
    EXPECT_EQ(CheckSumUnit::Checksum16(5, 6), 260);
    EXPECT_EQ(CheckSumUnit::Checksum16(6, 5), 0);
    EXPECT_EQ(CheckSumUnit::Checksum16(5, 5), 2);

    SetImage(std::vector<uint8_t>(258, 0xFF));
    R(1) = 0;
    R(2) = 257;
    EXPECT_EQ(CheckSumUnit::Checksum16(1, 2), 254);  // 65790 wraps

    std::vector<uint8_t> full(65536, 1);
    full.back() = 2;
    SetImage(std::move(full));
    R(2) = 0xFFFF;
    EXPECT_EQ(CheckSumUnit::Checksum16(1, 2), 1);  // 65537 bytes' worth over 65536 bytes

    SetImage({0x10, 0x20});
    EXPECT_EQ(CheckSumUnit::Checksum16(1, 2), 0x30);     // offsets past the image add nothing
    EXPECT_EQ(CheckSumUnit::Checksum16(0, 1025), 0x10);  // unknown registers read as 0
}

}  // namespace

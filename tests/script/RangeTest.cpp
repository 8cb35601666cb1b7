// What a line may not touch: register numbers outside 1 to 1024 and image bytes outside the
// image fail the line before it has any effect; a test whose bytes lie outside does not match.
#include "ScriptFixture.h"

using Range = ScriptTest;

TEST_F(Range, BadArgumentsFailTheLineInArgumentOrder) {
    const std::string number = "' is not a valid integer value";
    const std::string range = " is out of range 1 to 400";
    const std::pair<const char*, std::string> cases[] = {
        {"SWP 401", "Register number 401" + range},
        {"EQU2 80000000 'x'", "Register number 80000000" + range},
        {"CH16 01 02 401", "Register number 401" + range},
        {"SET2 00 FFFF", "Register number 0" + range},
        {"CH16 00 01 0G", "'$0G" + number},                              // conversion first
        {"SET2E 01 10000000000000000", "'$10000000000000000" + number},  // 17 digits
        {"SET2E 01 0x10", "'$0x10" + number},
    };
    for (const auto& [line, message] : cases) EXPECT_EQ(ErrorOf(line), message) << line;
    // Up to sixteen significant digits, of either case; the low bits count.
    Run({"SET2E 400 BEEF", "SET2E 001 cafe", "SET2E 02 0FFFFFFFFFFFFFFFF",
         "SET2E 03 00000000000000000001"});
    EXPECT_EQ(RunUnit::RegisterFile[1023], 0xBEEF);
    EXPECT_EQ(R(1), 0xCAFE);
    EXPECT_EQ(R(2), 0xFFFF);
    EXPECT_EQ(R(3), 1);
}

TEST_F(Range, ImageReadsPastTheEndNameTheFirstOffendingOffset) {
    R(1) = 0x0011;  // EQU16 reads 11..20
    R(2) = 0x001E;  // CH16 from 1E ...
    R(3) = 0x0020;  // ... to 20, one byte past the end
    R(6) = 0x0000;  // SET2A reads FFFFFFFF and 0
    const std::pair<const char*, const char*> cases[] = {
        {"PTR4 001D 'x'", "20"},          {"PTR 0020 'x'", "20"},
        {"PTR FFFFFFFF 'x'", "FFFFFFFF"}, {"PTR4 FFFFFFFE 'x'", "FFFFFFFE"},
        {"SET2 08 001F", "20"},           {"EQU16 01 'x'", "20"},
        {"CH16 02 03 08", "20"},          {"SET2A 08 06", "FFFFFFFF"},
    };
    for (const auto& [line, offset] : cases) {
        EXPECT_EQ(ErrorOf(line),
                  std::string("Offset ") + offset + " is beyond the end of the image (size 20)")
            << line;
    }
}

TEST_F(Range, InsideRangesReadAndOutsideTestsDoNotMatch) {
    R(1) = 0x0010;
    R(2) = 0x001F;
    R(5) = 0x0040;  // reversed ranges sum nothing, outside the image or not
    R(6) = 0x0030;
    R(8) = 0x0002;  // and inside
    R(9) = 0x0001;
    EXPECT_EQ(
        Run({"EQU16 01 'x'", "CH16 02 02 03", "SET2 04 001E", "CH16 05 06 07", "CH16 08 09 0A",
             // B[1F] is '1' (31); the byte after it is outside the image.
             "IF2 001F 3100 'x'", "IF2 001F 0031 'x'", "IF3 001E 303100 'x'",
             "IF2 FFFFFFFF 0012 'x'", "IF2 001E 3031 'inside'"}),
        "x: BOOT V1.02 A0001\r\ninside\r\n");
    EXPECT_EQ(R(3), '1');
    EXPECT_EQ(R(4), 0x3031);
    EXPECT_EQ(R(7), 0);
    EXPECT_EQ(R(10), 0);

    HexUnit::ImageBytes.clear();  // without an image every read fails and no test matches
    HexUnit::ImageSize = 0;
    EXPECT_EQ(ErrorOf("PTR 0000 'x'"), "Offset 0 is beyond the end of the image (size 0)");
    EXPECT_EQ(Run({"IF2 0000 0000 'x'", "IF3 0000 0000 'x'"}), "");
}

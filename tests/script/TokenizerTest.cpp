// The tokenizer: words, quoted labels, word marks and hexadecimal arguments, read from a script
// list by line index and 1-based position.
#include <gtest/gtest.h>

#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "StringUnit.h"

namespace {

using namespace StringUnit;

class Tokenizer : public ::testing::Test {
  protected:
    void SetUp() override { Script = &script_; }
    void TearDown() override { Script = nullptr; }

    // Makes `line` the script's line 1 (line 0 is another line, so indices are exercised).
    int32_t Line(const std::string& line) {
        script_.SetText("other line\r\n" + line + "\r\nlast");
        return 1;
    }

    std::string HexError(const std::string& line, int32_t position) {
        try {
            HexAt(Line(line), position);
        } catch (const EConvertError& e) {
            return e.Message;
        }
        return "no error";
    }

    LineList script_;
};

TEST_F(Tokenizer, WordAtSkipsBlanksAndTakesTheRestOfAWord) {
    EXPECT_EQ(WordAt(Line("   PTR 10"), 1), "PTR");
    EXPECT_EQ(WordAt(Line("PTR4 10"), 3), "R4");
    EXPECT_EQ(WordAt(Line("PTR 0100"), 5), "0100");
    EXPECT_EQ(WordAt(Line("PTR 0100"), 4), "0100");
    EXPECT_EQ(WordAt(Line("PTR\t10"), 1), "PTR\t10");  // only the blank separates words
    EXPECT_EQ(WordAt(Line("A\xFF\x01 B"), 1), "A\xFF\x01");
}

TEST_F(Tokenizer, WordAtBeyondTheLineOrNegativeIsEmpty) {
    EXPECT_EQ(WordAt(Line("PTR 0100"), 9), "");
    EXPECT_EQ(WordAt(Line("PTR 0100"), 1000), "");
    EXPECT_EQ(WordAt(Line("PTR 0100"), -1), "");
    EXPECT_EQ(WordAt(Line("PTR 0100"), -2), "");
    EXPECT_EQ(WordAt(Line("PTR 0100"), INT32_MIN), "");
    EXPECT_EQ(WordAt(Line("     "), 1), "");
    EXPECT_EQ(WordAt(Line(""), 1), "");
    EXPECT_EQ(WordAt(7, 1), "");  // a line index past the script
}

TEST_F(Tokenizer, QuotedAtSkipsOnlyApostrophesAndKeepsBlanks) {
    EXPECT_EQ(QuotedAt(Line("PTR 10 'Boot vector' x"), 9), "Boot vector");
    EXPECT_EQ(QuotedAt(Line("PTR 10 'Boot vector' x"), 8), "Boot vector");
    EXPECT_EQ(QuotedAt(Line("PTR 10 'Boot vector' x"), 7), " ");
    EXPECT_EQ(QuotedAt(Line("PTR 10 'Boot"), 9), "Boot");
    EXPECT_EQ(QuotedAt(Line("PTR 10 'AB  "), 9), "AB  ");
    EXPECT_EQ(QuotedAt(Line("PTR 10 ''"), 9), "");
    EXPECT_EQ(QuotedAt(Line("PTR 10 '''x'"), 9), "x");
    EXPECT_EQ(QuotedAt(Line("PTR 10 'x'"), 11), "");
    EXPECT_EQ(QuotedAt(Line("PTR 10 'x'"), -1), "");
}

TEST_F(Tokenizer, NextWordMarkIsOnePastTheNextWord) {
    EXPECT_EQ(NextWordMark(Line("SET2 0A 0100"), 5), 7);
    EXPECT_EQ(NextWordMark(Line("SET2 0A 0100"), 8), 10);
    EXPECT_EQ(NextWordMark(Line("PTR 0100"), 7), 10);   // n + 2: no further word
    EXPECT_EQ(NextWordMark(Line("PTR 0100"), 20), 21);  // already beyond n + 1
    EXPECT_EQ(NextWordMark(Line("PTR   0100"), 4), 8);
}

TEST_F(Tokenizer, NextWordMarkSkipsTheWordItStartsOn) {
    // From the first digit of "0100" the scan takes "0100" for the current word.
    EXPECT_EQ(NextWordMark(Line("SET2 A 0100"), 8), 13);
}

TEST_F(Tokenizer, NextWordMarkMissesAOneCharacterWordEndingTheLine) {
    EXPECT_EQ(NextWordMark(Line("SWP 5"), 4), -1);
    EXPECT_EQ(NextWordMark(Line("SWP 05"), 4), 6);
    EXPECT_EQ(NextWordMark(Line("SWP 5 "), 4), 6);
    EXPECT_EQ(NextWordMark(Line(""), 1), 2);
}

TEST_F(Tokenizer, HexAtReadsUpToSixteenSignificantDigitsAndKeepsTheLow32Bits) {
    struct Case {
        const char* word;
        int32_t value;
    };
    const Case cases[] = {
        {"1f", 31},
        {"ffff", 65535},
        {"0", 0},
        {"0000000000000000001", 1},  // leading zeros are free
        {"7FFFFFFF", INT32_MAX},
        {"FFFFFFFF", -1},
        {"100000000", 0},
        {"FFFFFFFFFFFFFFFF", -1},
        {"123456789", 0x23456789},
        {"0FFFFFFFFFFFFFFFF", -1},  // 16 significant digits after a zero
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HexAt(Line(std::string("X ") + c.word), 3), c.value) << c.word;
    }
    EXPECT_EQ(HexAt(Line("X   1f"), 2), 31);  // from a blank: the next word
}

TEST_F(Tokenizer, HexAtRaisesTheConversionErrorWithTheDollarText) {
    EXPECT_EQ(HexError("X 0x10", 3), "'$0x10' is not a valid integer value");
    EXPECT_EQ(HexError("X 10000000000000000", 3),
              "'$10000000000000000' is not a valid integer value");
    EXPECT_EQ(HexError("X G1", 3), "'$G1' is not a valid integer value");
    EXPECT_EQ(HexError("X -1", 3), "'$-1' is not a valid integer value");
    EXPECT_EQ(HexError("X +1", 3), "'$+1' is not a valid integer value");
    EXPECT_EQ(HexError("X $1", 3), "'$$1' is not a valid integer value");
    EXPECT_EQ(HexError("X 1", 9), "'$' is not a valid integer value");
    EXPECT_EQ(HexError("X 1", -2), "'$' is not a valid integer value");
}

TEST_F(Tokenizer, TextRun16TakesSixteenImageBytesUnchanged) {
    HexUnit::ImageBytes = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x00,
                           0xFF, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x7F, 0x80};
    HexUnit::ImageSize = 18;
    EXPECT_EQ(TextRun16(2), std::string("\x45\x67\x89\xAB\xCD\xEF\x00\xFF\x10\x20\x30\x40\x50"
                                        "\x60\x7F\x80",
                                        16));
    // Bytes beyond the image read as 0 rather than outside the array.
    EXPECT_EQ(TextRun16(10),
              std::string("\x10\x20\x30\x40\x50\x60\x7F\x80", 8) + std::string(8, '\0'));
    EXPECT_EQ(TextRun16(0xFFFFFFF8), std::string(8, '\0') + "\x01\x23\x45\x67\x89\xAB\xCD\xEF");
    HexUnit::ImageBytes.clear();
    HexUnit::ImageSize = 0;
}

}  // namespace

// The tokenizer: words, quoted labels, word marks and hexadecimal arguments of a line's text, at
// 1-based positions.
#include <gtest/gtest.h>

#include "Errors.h"
#include "HexUnit.h"
#include "StringUnit.h"

namespace {

using namespace StringUnit;

std::string HexError(std::string_view line, int32_t position) {
    try {
        HexAt(line, position);
    } catch (const EConvertError& e) {
        return e.Message;
    }
    return "no error";
}

TEST(Tokenizer, WordsAndLabelsSkipOnlyTheirOwnDelimiters) {
    EXPECT_EQ(WordAt("   PTR 10", 1), "PTR");
    EXPECT_EQ(WordAt("PTR4 10", 3), "R4");
    EXPECT_EQ(WordAt("PTR\t10", 1), "PTR\t10");  // only the blank separates words
    for (int32_t beyond : {9, -1, INT32_MIN}) EXPECT_EQ(WordAt("PTR 0100", beyond), "");
    EXPECT_EQ(QuotedAt("PTR 10 'Boot vector' x", 8), "Boot vector");
    EXPECT_EQ(QuotedAt("PTR 10 'Boot vector' x", 7), " ");
    EXPECT_EQ(QuotedAt("PTR 10 'AB  ", 9), "AB  ");
    EXPECT_EQ(QuotedAt("PTR 10 '''x'", 9), "x");
    EXPECT_EQ(QuotedAt("PTR 10 'x'", -1), "");
}

TEST(Tokenizer, NextWordMarkIsOnePastTheNextWord) {
    EXPECT_EQ(NextWordMark("SET2 0A 0100", 5), 7);
    EXPECT_EQ(NextWordMark("SET2 A 0100", 8), 13);  // skips the word it starts on
    EXPECT_EQ(NextWordMark("PTR 0100", 7), 10);     // n + 2: no further word
    EXPECT_EQ(NextWordMark("PTR 0100", 20), 21);    // already beyond n + 1
    EXPECT_EQ(NextWordMark("SWP 5", 4), -1);        // misses a one-character word ending the line
    EXPECT_EQ(NextWordMark("SWP 5 ", 4), 6);
}

TEST(Tokenizer, HexAtReadsUpToSixteenSignificantDigitsAndKeepsTheLow32Bits) {
    struct Case {
        const char* word;
        int32_t value;
    };
    const Case cases[] = {
        {"1f", 31},
        {"aBcD", 0xABCD},
        {"0000000000000000001", 1},  // leading zeros are free
        {"7FFFFFFF", INT32_MAX},
        {"FFFFFFFF", -1},
        {"100000000", 0},
        {"123456789", 0x23456789},
        {"0FFFFFFFFFFFFFFFF", -1},  // 16 significant digits after a zero
    };
    for (const Case& c : cases) EXPECT_EQ(HexAt(std::string("X ") + c.word, 3), c.value) << c.word;
    EXPECT_EQ(HexAt("X   1f", 2), 31);  // from a blank: the next word
    EXPECT_EQ(HexError("X 10000000000000000", 3),
              "'$10000000000000000' is not a valid integer value");
    for (const char* word : {"0x10", "G1", "-1", "$1"})
        EXPECT_EQ(HexError(std::string("X ") + word, 3),
                  std::string("'$") + word + "' is not a valid integer value");
    EXPECT_EQ(HexError("X 1", 9), "'$' is not a valid integer value");
}

TEST(Tokenizer, TextRun16TakesSixteenImageBytesUnchanged) {
    HexUnit::ImageBytes = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x00,
                           0xFF, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x7F, 0x80};
    HexUnit::ImageSize = 18;
    // Bytes beyond the image read as 0 rather than outside the array.
    EXPECT_EQ(TextRun16(10),
              std::string("\x10\x20\x30\x40\x50\x60\x7F\x80", 8) + std::string(8, '\0'));
    EXPECT_EQ(TextRun16(0xFFFFFFF8), std::string(8, '\0') + "\x01\x23\x45\x67\x89\xAB\xCD\xEF");
    HexUnit::ImageBytes.clear();
    HexUnit::ImageSize = 0;
}

}  // namespace

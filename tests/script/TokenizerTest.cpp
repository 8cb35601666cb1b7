// The conversion of hexadecimal arguments and its limits. The other tokenizer operations show
// through the interpreter's quirks.
#include <gtest/gtest.h>

#include "Errors.h"
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

}  // namespace

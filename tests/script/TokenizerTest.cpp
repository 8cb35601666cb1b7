// The conversion of hexadecimal arguments and its limits. The other tokenizer operations show
// through the interpreter's quirks.
#include <gtest/gtest.h>

#include "Errors.h"
#include "StringUnit.h"

namespace {

TEST(Tokenizer, HexAtReadsUpToSixteenSignificantDigitsAndKeepsTheLow32Bits) {
    const std::pair<const char*, int32_t> cases[] = {
        {"1f", 31},
        {"aBcD", 0xABCD},
        {"0000000000000000001", 1},  // leading zeros are free
        {"7FFFFFFF", INT32_MAX},
        {"FFFFFFFF", -1},
        {"100000000", 0},
        {"0FFFFFFFFFFFFFFFF", -1},  // 16 significant digits after a zero
    };
    for (const auto& [word, value] : cases)
        EXPECT_EQ(StringUnit::HexAt(std::string("X ") + word, 3), value) << word;
    EXPECT_EQ(StringUnit::HexAt("X   1f", 2), 31);  // from a blank: the next word
    for (const char* word : {"10000000000000000", "0x10", "G1", "-1", "$1"}) {
        try {
            StringUnit::HexAt(std::string("X ") + word, 3);
            ADD_FAILURE() << word;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message, std::string("'$") + word + "' is not a valid integer value");
        }
    }
}

}  // namespace

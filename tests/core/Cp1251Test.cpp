// The code page table: every byte survives a round trip through UTF-8 and UTF-16.
#include "Cp1251.h"

#include <gtest/gtest.h>

TEST(Cp1251, EveryByteRoundTripsAndTheInterfaceTextsMap) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Cp1251::FromUtf8(Cp1251::ToUtf8(all)), all);
    EXPECT_EQ(Cp1251::FromUtf16(Cp1251::ToUtf16(all)), all);
    EXPECT_EQ(Cp1251::FromUtf8("Скрипт"), "\xD1\xEA\xF0\xE8\xEF\xF2");
    EXPECT_EQ(Cp1251::ToUtf8("\xA8\xB8\x88\xB9\x98"), "Ёё€№\u0098");  // 98: unassigned, kept
}

TEST(Cp1251, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Cp1251::FromUtf8("a\xE4\xB8\x80z"), "a?z");  // a CJK character
    EXPECT_EQ(Cp1251::FromUtf16(u"\U0001F600x"), "?x");    // a surrogate pair is one char
}

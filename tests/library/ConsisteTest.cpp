// The validation helpers that need no screen: blank test and code fitting.
#include <gtest/gtest.h>

#include "library/Consiste.h"

using namespace library;

TEST(ConsisteTest, EmptyStringIsTrueForBlankText) {
    EXPECT_TRUE(EmptyString(""));
    EXPECT_TRUE(EmptyString("   "));
    EXPECT_TRUE(EmptyString(" \t"));
    EXPECT_FALSE(EmptyString(" 0"));
    EXPECT_FALSE(EmptyString("Não"));
}

TEST(ConsisteTest, AjustaFillsShortNumericCodesWithZeros) {
    EXPECT_EQ(Ajusta("5", 2), "05");
    EXPECT_EQ(Ajusta(" 5", 2), "05");
    EXPECT_EQ(Ajusta("5 ", 2), "05");
    EXPECT_EQ(Ajusta("12", 2), "12");
    EXPECT_EQ(Ajusta("123", 2), "123");
    EXPECT_EQ(Ajusta("", 2), "");
    EXPECT_EQ(Ajusta("  ", 2), "");
    EXPECT_EQ(Ajusta("A", 2), "A");
}

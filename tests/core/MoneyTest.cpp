// The one rounding rule of money, at the half-cent boundary, for typed text and for doubles,
// positive and negative, and the limits of what a balance holds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/Decimal.h"
#include "core/Money.h"
#include "core/PtBrNumber.h"

namespace {

struct TextCase {
    const char* typed;
    long long cents;
};

TEST(MoneyTest, TypedTextRoundsToTheCentHalfAwayFromZeroOnTheValueAsTyped) {
    const TextCase cases[] = {
        {"1,005", 101},
        {"-1,005", -101},
        {"0,285", 29},
        {"-0,285", -29},
        {"1,004", 100},
        {"1,0049999", 100},
        {"0,005", 1},
        {"-0,005", -1},
        {"0,0049", 0},
        {"-0,0049", 0},
        {"1.234,565", 123457},
        {"2,675", 268},
        {"1,115", 112},
        {"150,25", 15025},
        {"0", 0},
        {"  7", 700},
        {"1,5E3", 150000},
        {"1,005E1", 1005},
        // More digits than a double holds: the text decides, not its nearest double.
        {"0,28499999999999999999", 28},
        {"0,28500000000000000001", 29},
        {"9.999.999.999.999,99", 999'999'999'999'999},
        {"-9999999999999,994", -999'999'999'999'999},
    };
    for (const TextCase& c : cases) {
        core::MoneyTextError error = core::MoneyTextError::OutOfRange;
        const auto cents = core::CentsOfText(c.typed, &error);
        ASSERT_TRUE(cents.has_value()) << c.typed;
        EXPECT_EQ(*cents, c.cents) << c.typed;
        EXPECT_EQ(error, core::MoneyTextError::None);
    }
}

TEST(MoneyTest, TypedTextThatIsNoAmountOrTooLargeIsRefused) {
    for (const char* text : {"", " ", "1,2,3", "1.2", "1234.5", "abc", "1,5E", "1 ", "--1"}) {
        core::MoneyTextError error = core::MoneyTextError::None;
        EXPECT_FALSE(core::CentsOfText(text, &error)) << text;
        EXPECT_EQ(error, core::MoneyTextError::NotANumber) << text;
    }
    for (const char* text : {"10.000.000.000.000", "9999999999999,995", "1E20", "1E999999999999"}) {
        core::MoneyTextError error = core::MoneyTextError::None;
        EXPECT_FALSE(core::CentsOfText(text, &error)) << text;
        EXPECT_EQ(error, core::MoneyTextError::OutOfRange) << text;
    }
}

TEST(MoneyTest, DoublesRoundByTheirShortestText) {
    // 1.005 is stored as 1.00499999999999989..., but its text (what the screen shows and the
    // wire carries) is "1.005": it rounds up, as typed.
    EXPECT_EQ(core::CentsOf(1.005), 101);
    EXPECT_EQ(core::CentsOf(-1.005), -101);
    EXPECT_EQ(core::CentsOf(0.285), 29);
    EXPECT_EQ(core::CentsOf(-0.285), -29);
    EXPECT_EQ(core::CentsOf(0.1 + 0.2), 30);  // 0.30000000000000004
    EXPECT_EQ(core::CentsOf(2.675), 268);
    EXPECT_EQ(core::CentsOf(1.0049999999999997), 100);  // the double below: its own text
    EXPECT_EQ(core::CentsOf(-0.0), 0);
    EXPECT_EQ(core::CentsOf(5e-324), 0);
    EXPECT_EQ(core::CentsOf(9999999999999.99), 999'999'999'999'999);
    EXPECT_FALSE(core::CentsOf(10000000000000.0));
    EXPECT_FALSE(core::CentsOf(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(core::CentsOf(std::nan("")));
}

TEST(MoneyTest, CentsGoBackToTheDoubleWhoseTextIsTheAmount) {
    for (const long long cents : {0LL, 1LL, -1LL, 101LL, 29LL, -15025LL, 999'999'999'999'999LL,
                                  -999'999'999'999'999LL, 123456789012345LL}) {
        const double value = core::CentsToDouble(cents);
        EXPECT_EQ(core::CentsOf(value), cents) << cents;
    }
    EXPECT_EQ(core::RoundToCents(1.005), 1.01);
    EXPECT_EQ(core::RoundToCents(-0.285), -0.29);
}

TEST(DecimalTest, ParsesPlainTextExactlyAndRoundsHalfAwayFromZero) {
    auto d = core::ParseDecimal("-0012.34500e1");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->digits, "12345");
    EXPECT_EQ(d->pointPos, 3);
    EXPECT_TRUE(d->negative);
    core::RoundHalfAwayFromZero(*d, 1);
    EXPECT_EQ(d->digits, "1235");  // -123.45 -> -123.5
    auto nines = core::ParseDecimal("9.995");
    core::RoundHalfAwayFromZero(*nines, 2);
    EXPECT_EQ(nines->digits, "1");
    EXPECT_EQ(nines->pointPos, 2);  // 10
    auto zero = core::ParseDecimal("-0.004");
    core::RoundHalfAwayFromZero(*zero, 2);
    EXPECT_TRUE(zero->IsZero());
    EXPECT_FALSE(zero->negative);
    EXPECT_EQ(core::ParseDecimal(".5")->digits, "5");  // as the number functions read them
    EXPECT_EQ(core::ParseDecimal("5.")->pointPos, 1);
    for (const char* bad : {"", "-", ".", "1e", "1e+", "1,5", "0x10", "1 ", "1.2.3"})
        EXPECT_FALSE(core::ParseDecimal(bad)) << bad;
}

TEST(PtBrNumberTest, GroupsOnlyWholeThousands) {
    EXPECT_EQ(core::PlainNumber("1.234,5"), "1234.5");
    EXPECT_EQ(core::PlainNumber(" -1.234.567,25"), "-1234567.25");
    EXPECT_EQ(core::PlainNumber("1,5E-3"), "1.5e-3");
    EXPECT_FALSE(core::PlainNumber("1234.5"));
    EXPECT_FALSE(core::PlainNumber("1.2"));
    EXPECT_FALSE(core::PlainNumber("1.2345"));
    EXPECT_FALSE(core::PlainNumber(".123"));
}

}  // namespace

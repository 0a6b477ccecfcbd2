// Number text conversions with the Brazilian Portuguese format settings.
#include "platform/text/TextFunctions.h"

#include <gtest/gtest.h>

#include "platform/Exceptions.h"

using namespace platform;

namespace {

std::string ConversionMessage(std::string_view text, bool integer) {
    try {
        if (integer)
            StrToInt(text);
        else
            StrToFloat(text);
    } catch (const ConversionError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(StrToInt, AcceptsLeadingBlanksSignAndHex) {
    EXPECT_EQ(StrToInt("12"), 12);
    EXPECT_EQ(StrToInt(" 3"), 3);
    EXPECT_EQ(StrToInt("  -7"), -7);
    EXPECT_EQ(StrToInt("+05"), 5);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483648LL);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
}

TEST(StrToInt, RefusesWhatIsNotAWholeNumberNamingTheText) {
    for (const char* bad :
         {"", "  ", "3 ", "1a", "a", "-", "+ 3", "1.000", "2147483648", "$", "12,0"}) {
        EXPECT_EQ(ConversionMessage(bad, true),
                  "'" + std::string(bad) + "' não é um valor inteiro válido")
            << bad;
    }
}

TEST(StrToFloat, ReadsCommaDecimalsAndDotGrouping) {
    EXPECT_DOUBLE_EQ(StrToFloat("1234,5"), 1234.5);
    EXPECT_DOUBLE_EQ(StrToFloat("1.234,50"), 1234.5);
    EXPECT_DOUBLE_EQ(StrToFloat(" -1.234.567,25"), -1234567.25);
    EXPECT_DOUBLE_EQ(StrToFloat("0"), 0);
    EXPECT_DOUBLE_EQ(StrToFloat(",5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("1,5E3"), 1500);
}

TEST(StrToFloat, RefusesDotDecimalsBadGroupingAndBlanks) {
    // A dot is grouping only: "1234.5" would otherwise silently become 12345.
    for (const char* bad :
         {"", " ", "1234.5", "1.2", "1.23,4", "1,5 ", "abc", "1,2,3", "1E", "1e999"}) {
        EXPECT_EQ(ConversionMessage(bad, false),
                  "'" + std::string(bad) + "' não é um valor de ponto flutuante válido")
            << bad;
    }
}

TEST(FormatFloat, GroupedTwoDecimals) {
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
    EXPECT_EQ(FormatFloat("#,##0.00", -1234.5), "-1.234,50");
    EXPECT_EQ(FormatFloat("#,##0.00", 0), "0,00");
    EXPECT_EQ(FormatFloat("#,##0.00", 0.5), "0,50");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1.234.567,89");
    EXPECT_EQ(FormatFloat("#,##0.00", 999.999), "1.000,00");
    EXPECT_EQ(FormatFloat("#,##0.00", 100), "100,00");
    EXPECT_EQ(FormatFloat("#,##0.00", 1e15), "1.000.000.000.000.000,00");
}

TEST(FormatFloat, RoundsHalfAwayFromZeroAndDropsTheSignOfZero) {
    EXPECT_EQ(FormatFloat("0.00", 0.125), "0,13");
    EXPECT_EQ(FormatFloat("0.00", -0.125), "-0,13");
    EXPECT_EQ(FormatFloat("0.00", 2.675), "2,68");
    EXPECT_EQ(FormatFloat("0.00", -0.004), "0,00");
    EXPECT_EQ(FormatFloat("#,##0.00", -0.001), "0,00");
    EXPECT_EQ(FormatFloat("0.00", 1234.5), "1234,50");
}

TEST(FormatFloat, OtherPictures) {
    EXPECT_EQ(FormatFloat("0", 2.5), "3");
    EXPECT_EQ(FormatFloat("000", 7), "007");
    EXPECT_EQ(FormatFloat("0.##", 1.5), "1,5");
    EXPECT_EQ(FormatFloat("0.##", 2), "2");
    EXPECT_EQ(FormatFloat("#,##0.00;(#,##0.00)", -1234.5), "(1.234,50)");
    EXPECT_EQ(FormatFloat("0.00 'CR'", 3), "3,00 CR");
    EXPECT_EQ(FormatFloat("", 1234.5), "1234,5");
}

TEST(FloatToStr, GeneralText) {
    EXPECT_EQ(FloatToStr(1234.5), "1234,5");
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(-2), "-2");
    EXPECT_EQ(FloatToStr(0.1), "0,1");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0,333333333333333");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStr(0.00001), "0,00001");
    EXPECT_EQ(FloatToStr(-1234567.25), "-1234567,25");
}

TEST(FloatToStr, ExponentFormForHugeAndTinyValues) {
    EXPECT_EQ(FloatToStr(1.5e20), "1,5E20");
    EXPECT_EQ(FloatToStr(1234567890123456.0), "1,23456789012346E15");
    EXPECT_EQ(FloatToStr(0.000001), "1E-6");
    EXPECT_EQ(FloatToStr(-2.5e-7), "-2,5E-7");
}

TEST(Utf8, CountsCharactersNotBytes) {
    EXPECT_EQ(Utf8Length("Não"), 3u);
    EXPECT_EQ(Utf8Length("Exclusão?"), 9u);
    EXPECT_FALSE(IsValidUtf8("N\xe3o"));  // Latin-1, not UTF-8
    EXPECT_FALSE(IsValidUtf8("\xc3"));
    EXPECT_THROW(Utf8Length("N\xe3o"), Error);
    EXPECT_EQ(Utf8Encode(Utf8Decode("Conta Contábil")), "Conta Contábil");
}

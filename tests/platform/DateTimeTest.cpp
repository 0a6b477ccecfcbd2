// Date-time values, month ends and date text.
#include "platform/text/DateTime.h"

#include <gtest/gtest.h>

#include "platform/Exceptions.h"

using namespace platform;

TEST(DateTime, SerialDaysSince30December1899) {
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_DOUBLE_EQ(EncodeDate(2024, 3, 31), 45382);
    int y = 0, m = 0, d = 0;
    DecodeDate(45382.75, y, m, d);
    EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{2024, 3, 31}));
    DecodeDate(-1, y, m, d);
    EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{1899, 12, 29}));
}

TEST(DateTime, RefusesDaysThatDoNotExist) {
    EXPECT_THROW(EncodeDate(2023, 2, 29), ConversionError);
    EXPECT_THROW(EncodeDate(2024, 13, 1), ConversionError);
    EXPECT_THROW(EncodeDate(2024, 0, 1), ConversionError);
    EXPECT_THROW(EncodeDate(0, 1, 1), ConversionError);
    EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
}

TEST(DateTime, MonthsLastDay) {
    EXPECT_DOUBLE_EQ(EndOfAMonth(2024, 3), EncodeDate(2024, 3, 31));
    EXPECT_DOUBLE_EQ(EndOfAMonth(2024, 2), EncodeDate(2024, 2, 29));
    EXPECT_DOUBLE_EQ(EndOfAMonth(2023, 2), EncodeDate(2023, 2, 28));
    EXPECT_DOUBLE_EQ(EndOfAMonth(1900, 2), EncodeDate(1900, 2, 28));
    EXPECT_DOUBLE_EQ(EndOfAMonth(2000, 2), EncodeDate(2000, 2, 29));
    EXPECT_EQ(DaysInAMonth(2024, 4), 30);
    EXPECT_THROW(EndOfAMonth(2024, 13), ConversionError);
}

TEST(FormatDateTime, MonthYearAndFullDate) {
    const DateTime d = EncodeDate(2024, 3, 15);
    EXPECT_EQ(FormatDateTime("MM/YYYY", d), "03/2024");
    EXPECT_EQ(FormatDateTime("mm/yyyy", d), "03/2024");
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy", d), "15/03/2024");
    EXPECT_EQ(FormatDateTime("d/m/yy", d), "15/3/24");
    EXPECT_EQ(FormatDateTime("MM/YYYY", 0), "12/1899");
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy", 0), "30/12/1899");
    EXPECT_EQ(FormatDateTime("dddd, d 'de' mmmm", d), "sexta-feira, 15 de março");
}

TEST(FormatDateTime, MinutesOnlyAfterTheHour) {
    const DateTime dt = EncodeDate(2024, 3, 15) + EncodeTime(9, 5, 7);
    EXPECT_EQ(FormatDateTime("hh:mm:ss", dt), "09:05:07");
    EXPECT_EQ(FormatDateTime("hh:nn mm/yyyy", dt), "09:05 03/2024");
    EXPECT_EQ(DateTimeToStr(dt), "15/03/2024 09:05:07");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 15)), "15/03/2024");
}

TEST(DateTimeText, ShortDateAndIsoRoundTrip) {
    EXPECT_DOUBLE_EQ(StrToDateTime("31/03/2024"), EncodeDate(2024, 3, 31));
    EXPECT_DOUBLE_EQ(StrToDateTime("1/2/24"), EncodeDate(2024, 2, 1));
    EXPECT_DOUBLE_EQ(StrToDateTime("15/03/2024 09:05"),
                     EncodeDate(2024, 3, 15) + EncodeTime(9, 5, 0));
    for (const char* bad : {"", "31/02/2024", "03/2024", "2024-03-31", "31/03/2024x"})
        EXPECT_THROW(StrToDateTime(bad), ConversionError) << bad;
    EXPECT_EQ(DateTimeToIso(EncodeDate(2024, 3, 31)), "2024-03-31");
    const DateTime dt = EncodeDate(2024, 3, 31) + EncodeTime(13, 45, 10);
    EXPECT_EQ(DateTimeToIso(dt), "2024-03-31T13:45:10");
    EXPECT_DOUBLE_EQ(IsoToDateTime("2024-03-31T13:45:10"), dt);
    for (const char* bad : {"2024-02-30", "2024-3-31", "31/03/2024", "2024-03-31T25:00:00"})
        EXPECT_THROW(IsoToDateTime(bad), ConversionError) << bad;
}

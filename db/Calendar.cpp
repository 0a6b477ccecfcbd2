// Month arithmetic.
#include "db/Calendar.h"

#include <cstdio>

namespace db {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return kDays[month - 1];
}

std::string LastDayIso(int year, int month) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, DaysInMonth(year, month));
    return text;
}

}  // namespace db

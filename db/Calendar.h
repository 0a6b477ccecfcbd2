// Month arithmetic shared by the demo data and the server: balances are dated on a month's last
// day.
#pragma once

#include <string>

namespace db {

bool IsLeapYear(int year);
// Days of the month (1..12) of a year.
int DaysInMonth(int year, int month);
// "YYYY-MM-DD" of the last day of the month.
std::string LastDayIso(int year, int month);

}  // namespace db

// The one calendar of client and server: months as the user writes them ("MM/YYYY"), a month's
// last day (how balances are dated), ISO dates, and the date-time values both sides exchange: a
// date-time is a double, the days since 30/12/1899 at midnight with the time of day as the
// fraction; packets carry it as ISO text ("YYYY-MM-DD", or "YYYY-MM-DDTHH:MM:SS" when the time
// is not midnight). Years run from 1 to 9999.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace core {

bool IsLeapYear(int year);
// Days of the month; 0 for a month outside 1..12 or a year outside 1..9999.
int DaysInMonth(int year, int month);
// "YYYY-MM-DD" of the month's last day (a valid month and year).
std::string LastDayIso(int year, int month);
std::string LastDayIso(std::chrono::year_month month);

// "MM/YYYY" exactly (two digits, "/", four digits) to its month; nullopt for anything else, a
// month outside 1..12 or the year 0 included.
std::optional<std::chrono::year_month> MonthOfText(std::string_view text);
// "MM/YYYY".
std::string MonthText(std::chrono::year_month month);
// "MM/YYYY" to "YYYY-MM-DD" of the month's last day; nullopt where MonthOfText refuses.
std::optional<std::string> LastDayIsoOfMonthText(std::string_view text);
// The month of an ISO date ("YYYY-MM" and whatever follows) as "MM/YYYY"; a text that does not
// start with a month comes back as it is, so that a report shows what it was given.
std::string MonthTextOfIso(std::string_view isoDate);
// Whether the text is exactly "YYYY-MM-DD", a day of the calendar.
bool IsIsoDate(std::string_view text);

// False for a day that does not exist or a year outside 1..9999.
bool TryEncodeDate(int year, int month, int day, double& value);
// The fraction of a day; the parts are not checked.
double EncodeTime(int hour, int minute, int second, int millisecond);
void DecodeDate(double value, int& year, int& month, int& day);
void DecodeTime(double value, int& hour, int& minute, int& second, int& millisecond);

// "YYYY-MM-DD", "YYYY-MM-DDTHH:MM:SS" when the time is not midnight, with ".mmm" when it has
// milliseconds.
std::string DateTimeToIso(double value);
// Reads the forms DateTimeToIso writes ("T" or a blank before the time); false for anything
// else, a day that does not exist included.
bool TryIsoToDateTime(std::string_view text, double& value);

}  // namespace core

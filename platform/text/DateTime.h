// The framework's date-time value (days since 30/12/1899, the time as the fraction) and
// its date functions and text with the framework's format settings.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Days since 30/12/1899 at midnight; the fraction is the time of day. 0 is the zero date,
// which is also what a blank date field reads as.
using DateTime = double;

// Raises ConversionError ("Data inválida: ...") for a day that does not exist or a year
// outside 1..9999.
DateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, DateTime& value);
DateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
void DecodeDate(DateTime value, int& year, int& month, int& day);
void DecodeTime(DateTime value, int& hour, int& minute, int& second, int& millisecond);

bool IsLeapYear(int year);
// Raises ConversionError for a month outside 1..12 or a year outside 1..9999.
int DaysInAMonth(int year, int month);
// The month's last day, at midnight.
DateTime EndOfAMonth(int year, int month);

// Letters are case-insensitive: d/dd day, ddd/dddd weekday name, m/mm month (minutes when
// right after h/hh), mmm/mmmm month name, yy/yyyy year, h/hh hour, n/nn minute, s/ss second,
// z/zzz milliseconds, "/" and ":" the separators of the format settings, text in single or
// double quotes as it stands, c the short date (and the time when not midnight); any other
// character as it stands. FormatDateTime("MM/YYYY", 0) is "12/1899".
std::string FormatDateTime(std::string_view format, DateTime value);
// The short date ("dd/mm/yyyy"), with " hh:nn:ss" when the time is not midnight.
std::string DateTimeToStr(DateTime value);
std::string DateToStr(DateTime value);
// Reads the short date ("dd/mm/yyyy", one or two-digit day and month, two or four-digit
// year) with an optional time "hh:nn[:ss]". Raises ConversionError
// "'TEXT' não é uma data válida".
DateTime StrToDateTime(std::string_view text);
bool TryStrToDateTime(std::string_view text, DateTime& value);

// ISO text as carried by packets: "YYYY-MM-DD", or "YYYY-MM-DDTHH:MM:SS" when the time is
// not midnight. IsoToDateTime raises ConversionError for anything else.
std::string DateTimeToIso(DateTime value);
DateTime IsoToDateTime(std::string_view text);
bool TryIsoToDateTime(std::string_view text, DateTime& value);

}  // namespace platform

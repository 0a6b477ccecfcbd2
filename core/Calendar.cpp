// Date arithmetic on <chrono>'s proleptic Gregorian calendar; only the texts are written here,
// as GCC 12's library has no chrono formatting or parsing yet.
#include "core/Calendar.h"

#include <cmath>
#include <cstdio>

namespace core {
namespace {

namespace chr = std::chrono;

constexpr double kMsPerDay = 86400000.0;
constexpr chr::sys_days kEpoch{chr::year{1899} / chr::December / 30};

// The month, when year and month are in range; checked first, as chrono keeps them in
// narrower types that would wrap.
std::optional<chr::year_month> MonthOf(int year, int month) {
    if (month < 1 || month > 12 || year < 1 || year > 9999) return std::nullopt;
    return chr::year{year} / chr::month{static_cast<unsigned>(month)};
}

// `length` decimal digits at `at`; false when the text is shorter or holds anything else.
bool Digits(std::string_view text, std::size_t at, std::size_t length, int& out) {
    if (at + length > text.size()) return false;
    out = 0;
    for (std::size_t k = at; k < at + length; ++k) {
        if (text[k] < '0' || text[k] > '9') return false;
        out = out * 10 + (text[k] - '0');
    }
    return true;
}

// Whole days and milliseconds of the day; the day is truncated towards zero and the time is
// the absolute fraction, as serial dates before 1899 are read.
void Split(double value, long long& days, long long& ms) {
    days = static_cast<long long>(std::trunc(value));
    ms = std::llround(std::fabs(value - static_cast<double>(days)) * kMsPerDay);
    if (ms >= static_cast<long long>(kMsPerDay)) {
        ms = 0;
        days += value < 0 ? -1 : 1;
    }
}

}  // namespace

bool IsLeapYear(int year) {
    return chr::year{year}.is_leap();
}

int DaysInMonth(int year, int month) {
    const auto found = MonthOf(year, month);
    if (!found) return 0;
    return static_cast<int>(static_cast<unsigned>((*found / chr::last).day()));
}

std::string LastDayIso(int year, int month) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, DaysInMonth(year, month));
    return text;
}

std::string LastDayIso(chr::year_month month) {
    return LastDayIso(static_cast<int>(month.year()), static_cast<int>(unsigned(month.month())));
}

std::optional<chr::year_month> MonthOfText(std::string_view text) {
    int month = 0, year = 0;
    if (text.size() != 7 || text[2] != '/' || !Digits(text, 0, 2, month) ||
        !Digits(text, 3, 4, year))
        return std::nullopt;
    return MonthOf(year, month);
}

std::string MonthText(chr::year_month month) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u/%04d", unsigned(month.month()),
                  static_cast<int>(month.year()));
    return text;
}

std::optional<std::string> LastDayIsoOfMonthText(std::string_view text) {
    const auto month = MonthOfText(text);
    if (!month) return std::nullopt;
    return LastDayIso(*month);
}

std::string MonthTextOfIso(std::string_view isoDate) {
    int year = 0, month = 0;
    if (!Digits(isoDate, 0, 4, year) || isoDate.size() < 7 || isoDate[4] != '-' ||
        !Digits(isoDate, 5, 2, month))
        return std::string(isoDate);
    const auto found = MonthOf(year, month);
    return found ? MonthText(*found) : std::string(isoDate);
}

bool IsIsoDate(std::string_view text) {
    double value = 0;
    return text.size() == 10 && TryIsoToDateTime(text, value);
}

bool TryEncodeDate(int year, int month, int day, double& value) {
    if (day < 1 || day > DaysInMonth(year, month)) return false;
    const chr::sys_days date{*MonthOf(year, month) / chr::day{static_cast<unsigned>(day)}};
    value = static_cast<double>((date - kEpoch).count());
    return true;
}

double EncodeTime(int hour, int minute, int second, int millisecond) {
    return ((hour * 60 + minute) * 60 + second) * 1000.0 / kMsPerDay + millisecond / kMsPerDay;
}

void DecodeDate(double value, int& year, int& month, int& day) {
    long long days = 0, ms = 0;
    Split(value, days, ms);
    const chr::year_month_day date{kEpoch + chr::days{days}};
    year = static_cast<int>(date.year());
    month = static_cast<int>(static_cast<unsigned>(date.month()));
    day = static_cast<int>(static_cast<unsigned>(date.day()));
}

void DecodeTime(double value, int& hour, int& minute, int& second, int& millisecond) {
    long long days = 0, ms = 0;
    Split(value, days, ms);
    millisecond = static_cast<int>(ms % 1000);
    second = static_cast<int>(ms / 1000 % 60);
    minute = static_cast<int>(ms / 60000 % 60);
    hour = static_cast<int>(ms / 3600000);
}

std::string DateTimeToIso(double value) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    DecodeDate(value, y, mo, d);
    DecodeTime(value, h, mi, s, ms);
    char buf[48];
    if (h == 0 && mi == 0 && s == 0 && ms == 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, mo, d);
    else if (ms == 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, s);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", y, mo, d, h, mi, s,
                      ms);
    return buf;
}

bool TryIsoToDateTime(std::string_view t, double& value) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    if (t.size() < 10 || !Digits(t, 0, 4, y) || t[4] != '-' || !Digits(t, 5, 2, mo) ||
        t[7] != '-' || !Digits(t, 8, 2, d))
        return false;
    double date = 0;
    if (!TryEncodeDate(y, mo, d, date)) return false;
    if (t.size() > 10) {
        if (t.size() < 19 || (t[10] != 'T' && t[10] != ' ') || !Digits(t, 11, 2, h) ||
            t[13] != ':' || !Digits(t, 14, 2, mi) || t[16] != ':' || !Digits(t, 17, 2, s) ||
            h > 23 || mi > 59 || s > 59)
            return false;
        if (t.size() > 19 && (t.size() != 23 || t[19] != '.' || !Digits(t, 20, 3, ms)))
            return false;
    }
    const double time = EncodeTime(h, mi, s, ms);
    value = date + (date < 0 ? -time : time);
    return true;
}

}  // namespace core

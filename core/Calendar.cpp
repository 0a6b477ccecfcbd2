// Date arithmetic on the proleptic Gregorian calendar.
#include "core/Calendar.h"

#include <cmath>
#include <cstdio>

namespace core {
namespace {

constexpr double kMsPerDay = 86400000.0;

// Days from 1970-01-01 (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

const long long kEpoch = DaysFromCivil(1899, 12, 30);

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
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12 || year < 1 || year > 9999) return 0;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::string LastDayIso(int year, int month) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, DaysInMonth(year, month));
    return text;
}

bool TryEncodeDate(int year, int month, int day, double& value) {
    if (day < 1 || day > DaysInMonth(year, month)) return false;
    value = static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch);
    return true;
}

double EncodeTime(int hour, int minute, int second, int millisecond) {
    return ((hour * 60 + minute) * 60 + second) * 1000.0 / kMsPerDay + millisecond / kMsPerDay;
}

void DecodeDate(double value, int& year, int& month, int& day) {
    long long days = 0, ms = 0;
    Split(value, days, ms);
    CivilFromDays(days + kEpoch, year, month, day);
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
    const auto num = [&](std::size_t at, std::size_t len, int& out) {
        if (at + len > t.size()) return false;
        out = 0;
        for (std::size_t k = at; k < at + len; ++k) {
            if (t[k] < '0' || t[k] > '9') return false;
            out = out * 10 + (t[k] - '0');
        }
        return true;
    };
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    if (t.size() < 10 || !num(0, 4, y) || t[4] != '-' || !num(5, 2, mo) || t[7] != '-' ||
        !num(8, 2, d))
        return false;
    double date = 0;
    if (!TryEncodeDate(y, mo, d, date)) return false;
    if (t.size() > 10) {
        if (t.size() < 19 || (t[10] != 'T' && t[10] != ' ') || !num(11, 2, h) || t[13] != ':' ||
            !num(14, 2, mi) || t[16] != ':' || !num(17, 2, s) || h > 23 || mi > 59 || s > 59)
            return false;
        if (t.size() > 19 && (t.size() != 23 || t[19] != '.' || !num(20, 3, ms))) return false;
    }
    const double time = EncodeTime(h, mi, s, ms);
    value = date + (date < 0 ? -time : time);
    return true;
}

}  // namespace core

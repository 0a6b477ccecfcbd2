// Date-time values: calendar arithmetic, text with the format settings, ISO text.
#include "platform/text/DateTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/Exceptions.h"
#include "platform/text/FormatSettings.h"

namespace platform {
namespace {

constexpr auto& S = kFormatSettings;
constexpr double kMsPerDay = 86400000.0;

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
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

// Whole days and milliseconds of the day; the day is truncated towards zero and the time
// is the absolute fraction, as the serial dates before 1899 are read.
void Split(DateTime value, long long& days, long long& ms) {
    days = static_cast<long long>(std::trunc(value));
    ms = std::llround(std::fabs(value - static_cast<double>(days)) * kMsPerDay);
    if (ms >= static_cast<long long>(kMsPerDay)) {
        ms = 0;
        days += value < 0 ? -1 : 1;
    }
}

std::string Pad(int value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    return buf;
}

const char* const kMonthShort[] = {"jan", "fev", "mar", "abr", "mai", "jun",
                                   "jul", "ago", "set", "out", "nov", "dez"};
const char* const kMonthLong[] = {"janeiro",  "fevereiro", "março",    "abril",
                                  "maio",     "junho",     "julho",    "agosto",
                                  "setembro", "outubro",   "novembro", "dezembro"};
const char* const kDayShort[] = {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"};
const char* const kDayLong[] = {"domingo",      "segunda-feira", "terça-feira", "quarta-feira",
                                "quinta-feira", "sexta-feira",   "sábado"};

// 0 = Sunday; 1970-01-01 was a Thursday.
int Weekday(int y, int m, int d) {
    const long long days = DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
    return static_cast<int>((days % 7 + 11) % 7);
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t RunLength(std::string_view f, std::size_t i) {
    std::size_t n = 1;
    while (i + n < f.size() && Lower(f[i + n]) == Lower(f[i])) ++n;
    return n;
}

bool ParseNumber(std::string_view text, std::size_t& i, int maxDigits, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (i < text.size() && digits < maxDigits && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        ++i;
        ++digits;
    }
    return digits > 0;
}

}  // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInAMonth(int year, int month) {
    if (month < 1 || month > 12 || year < 1 || year > 9999)
        throw ConversionError("Data inválida: mês " + std::to_string(month) + " de " +
                              std::to_string(year) + ".");
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, DateTime& value) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    if (day > DaysInAMonth(year, month)) return false;
    value = static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch);
    return true;
}

DateTime EncodeDate(int year, int month, int day) {
    DateTime value = 0;
    if (!TryEncodeDate(year, month, day, value))
        throw ConversionError("Data inválida: " + Pad(day, 2) + "/" + Pad(month, 2) + "/" +
                              Pad(year, 4) + ".");
    return value;
}

DateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        throw ConversionError("Hora inválida: " + Pad(hour, 2) + ":" + Pad(minute, 2) + ":" +
                              Pad(second, 2) + ".");
    return ((hour * 60 + minute) * 60 + second) * 1000.0 / kMsPerDay + millisecond / kMsPerDay;
}

void DecodeDate(DateTime value, int& year, int& month, int& day) {
    long long days = 0, ms = 0;
    Split(value, days, ms);
    CivilFromDays(days + kEpoch, year, month, day);
}

void DecodeTime(DateTime value, int& hour, int& minute, int& second, int& millisecond) {
    long long days = 0, ms = 0;
    Split(value, days, ms);
    millisecond = static_cast<int>(ms % 1000);
    second = static_cast<int>(ms / 1000 % 60);
    minute = static_cast<int>(ms / 60000 % 60);
    hour = static_cast<int>(ms / 3600000);
}

DateTime EndOfAMonth(int year, int month) {
    return EncodeDate(year, month, DaysInAMonth(year, month));
}

std::string FormatDateTime(std::string_view f, DateTime value) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    DecodeDate(value, y, mo, d);
    DecodeTime(value, h, mi, s, ms);
    std::string out;
    bool afterHour = false;
    for (std::size_t i = 0; i < f.size();) {
        const char c = Lower(f[i]);
        if (f[i] == '"' || f[i] == '\'') {
            const std::size_t end = f.find(f[i], i + 1);
            const std::size_t stop = end == std::string_view::npos ? f.size() : end;
            out += f.substr(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        const std::size_t n = RunLength(f, i);
        bool hourToken = false;
        switch (c) {
            case 'd':
                if (n >= 4)
                    out += kDayLong[Weekday(y, mo, d)];
                else if (n == 3)
                    out += kDayShort[Weekday(y, mo, d)];
                else
                    out += n == 2 ? Pad(d, 2) : std::to_string(d);
                i += std::min<std::size_t>(n, 4);
                break;
            case 'm':
                if (afterHour && n <= 2)
                    out += n == 2 ? Pad(mi, 2) : std::to_string(mi);
                else if (n >= 4)
                    out += kMonthLong[mo - 1];
                else if (n == 3)
                    out += kMonthShort[mo - 1];
                else
                    out += n == 2 ? Pad(mo, 2) : std::to_string(mo);
                i += std::min<std::size_t>(n, 4);
                break;
            case 'y':
                out += n <= 2 ? Pad(y % 100, 2) : Pad(y, 4);
                i += n;
                break;
            case 'h':
                out += n >= 2 ? Pad(h, 2) : std::to_string(h);
                i += std::min<std::size_t>(n, 2);
                hourToken = true;
                break;
            case 'n':
                out += n >= 2 ? Pad(mi, 2) : std::to_string(mi);
                i += std::min<std::size_t>(n, 2);
                break;
            case 's':
                out += n >= 2 ? Pad(s, 2) : std::to_string(s);
                i += std::min<std::size_t>(n, 2);
                break;
            case 'z':
                out += n >= 3 ? Pad(ms, 3) : std::to_string(ms);
                i += std::min<std::size_t>(n, 3);
                break;
            case 'c':
                out += DateTimeToStr(value);
                ++i;
                break;
            case '/':
                out += S.DateSeparator;
                ++i;
                break;
            case ':':
                out += S.TimeSeparator;
                ++i;
                hourToken = afterHour;
                break;
            default:
                out += f[i];
                ++i;
                // Separators between the hour and the minutes keep "mm" meaning minutes.
                if (c == ' ' || c == '.' || c == '-') hourToken = afterHour;
                break;
        }
        afterHour = hourToken;
    }
    return out;
}

std::string DateToStr(DateTime value) {
    return FormatDateTime(S.ShortDateFormat, value);
}

std::string DateTimeToStr(DateTime value) {
    int h = 0, mi = 0, s = 0, ms = 0;
    DecodeTime(value, h, mi, s, ms);
    std::string out = DateToStr(value);
    if (h != 0 || mi != 0 || s != 0 || ms != 0) {
        out += ' ';
        out += FormatDateTime(S.LongTimeFormat, value);
    }
    return out;
}

bool TryStrToDateTime(std::string_view text, DateTime& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    int d = 0, mo = 0, y = 0, digits = 0;
    if (!ParseNumber(text, i, 2, d, digits) || i >= text.size() || text[i++] != S.DateSeparator)
        return false;
    if (!ParseNumber(text, i, 2, mo, digits) || i >= text.size() || text[i++] != S.DateSeparator)
        return false;
    if (!ParseNumber(text, i, 4, y, digits) || (digits != 2 && digits != 4)) return false;
    if (digits == 2) y += y < 50 ? 2000 : 1900;
    DateTime date = 0;
    if (!TryEncodeDate(y, mo, d, date)) return false;
    double time = 0;
    if (i < text.size() && text[i] == ' ') {
        while (i < text.size() && text[i] == ' ') ++i;
        int h = 0, mi = 0, s = 0;
        if (i < text.size()) {
            if (!ParseNumber(text, i, 2, h, digits) || i >= text.size() ||
                text[i++] != S.TimeSeparator || !ParseNumber(text, i, 2, mi, digits))
                return false;
            if (i < text.size() && text[i] == S.TimeSeparator) {
                ++i;
                if (!ParseNumber(text, i, 2, s, digits)) return false;
            }
            if (h > 23 || mi > 59 || s > 59) return false;
            time = EncodeTime(h, mi, s);
        }
    }
    if (i != text.size()) return false;
    value = date + (date < 0 ? -time : time);
    return true;
}

DateTime StrToDateTime(std::string_view text) {
    DateTime value = 0;
    if (!TryStrToDateTime(text, value))
        throw ConversionError("'" + std::string(text) + "' não é uma data válida");
    return value;
}

std::string DateTimeToIso(DateTime value) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    DecodeDate(value, y, mo, d);
    DecodeTime(value, h, mi, s, ms);
    char buf[32];
    if (h == 0 && mi == 0 && s == 0 && ms == 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, mo, d);
    else if (ms == 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, s);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", y, mo, d, h, mi, s,
                      ms);
    return buf;
}

bool TryIsoToDateTime(std::string_view t, DateTime& value) {
    auto num = [&](std::size_t at, std::size_t len, int& out) {
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
    DateTime date = 0;
    if (!TryEncodeDate(y, mo, d, date)) return false;
    if (t.size() > 10) {
        if (t.size() < 19 || (t[10] != 'T' && t[10] != ' ') || !num(11, 2, h) || t[13] != ':' ||
            !num(14, 2, mi) || t[16] != ':' || !num(17, 2, s) || h > 23 || mi > 59 || s > 59)
            return false;
        if (t.size() > 19) {
            if (t.size() != 23 || t[19] != '.' || !num(20, 3, ms)) return false;
        }
    }
    const double time = ((h * 60 + mi) * 60 + s) * 1000.0 / kMsPerDay + ms / kMsPerDay;
    value = date + (date < 0 ? -time : time);
    return true;
}

DateTime IsoToDateTime(std::string_view text) {
    DateTime value = 0;
    if (!TryIsoToDateTime(text, value))
        throw ConversionError("'" + std::string(text) + "' não é uma data ISO válida");
    return value;
}

}  // namespace platform

// Date-time values: calendar arithmetic, text with the format settings, ISO text.
#include "platform/text/DateTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/Calendar.h"
#include "platform/Exceptions.h"
#include "platform/text/FormatSettings.h"

namespace platform {
namespace {

constexpr auto& S = kFormatSettings;

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

// 0 = Sunday; 30/12/1899, day 0, was a Saturday.
int Weekday(int y, int m, int d) {
    double serial = 0;
    core::TryEncodeDate(y, m, d, serial);
    const auto days = static_cast<long long>(serial);
    return static_cast<int>(((days + 6) % 7 + 7) % 7);
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
    return core::IsLeapYear(year);
}

int DaysInAMonth(int year, int month) {
    const int days = core::DaysInMonth(year, month);
    if (days == 0)
        throw ConversionError("Data inválida: mês " + std::to_string(month) + " de " +
                              std::to_string(year) + ".");
    return days;
}

bool TryEncodeDate(int year, int month, int day, DateTime& value) {
    return core::TryEncodeDate(year, month, day, value);
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
    return core::EncodeTime(hour, minute, second, millisecond);
}

void DecodeDate(DateTime value, int& year, int& month, int& day) {
    core::DecodeDate(value, year, month, day);
}

void DecodeTime(DateTime value, int& hour, int& minute, int& second, int& millisecond) {
    core::DecodeTime(value, hour, minute, second, millisecond);
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
    return core::DateTimeToIso(value);
}

bool TryIsoToDateTime(std::string_view text, DateTime& value) {
    return core::TryIsoToDateTime(text, value);
}

DateTime IsoToDateTime(std::string_view text) {
    DateTime value = 0;
    if (!TryIsoToDateTime(text, value))
        throw ConversionError("'" + std::string(text) + "' não é uma data ISO válida");
    return value;
}

}  // namespace platform

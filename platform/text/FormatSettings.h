// The format settings every text function of the framework follows: Brazilian Portuguese
// separators and date layout.
#pragma once

namespace platform {

struct FormatSettings {
    char DecimalSeparator = ',';
    char ThousandSeparator = '.';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    const char* ShortDateFormat = "dd/mm/yyyy";
    const char* LongTimeFormat = "hh:nn:ss";
};

// The settings in force (they never change while the program runs).
inline constexpr FormatSettings kFormatSettings{};

}  // namespace platform

// Number and text conversions with the framework's format settings (decimal ",",
// thousands "."), and UTF-8 helpers: every text in the framework is UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Optional leading blanks, an optional sign, then decimal digits (or "$" and hexadecimal
// digits). Anything else, a trailing blank, an empty or all-blank text, or a value out of
// the 32-bit range raises ConversionError "'TEXT' não é um valor inteiro válido".
int StrToInt(std::string_view text);
bool TryStrToInt(std::string_view text, int& value);

// Like StrToInt with "," as the decimal separator, "." grouping and an optional exponent
// ("1,5E3"). Error: "'TEXT' não é um valor de ponto flutuante válido".
double StrToFloat(std::string_view text);
bool TryStrToFloat(std::string_view text, double& value);

std::string IntToStr(long long value);

// Formats with a picture of "0" (digit always shown), "#" (digit when significant), ","
// (grouping, anywhere in the integer part), "." (decimal point), "E+"/"E-" exponent,
// quoted literals and ";" sections (positive;negative;zero). The output uses the format
// settings' separators. Rounding is half away from zero; a value that rounds to zero shows
// without a sign. "#,##0.00": 1234.5 -> "1.234,50".
std::string FormatFloat(std::string_view format, double value);

// General text: up to 15 significant digits, no trailing zeros, no grouping; the exponent
// form ("1E-5", "1,5E20") when the integer part has more than 15 digits or |v| < 0.00001.
std::string FloatToStr(double value);

std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string UpperCase(std::string_view text);  // ASCII letters only
std::string LowerCase(std::string_view text);  // ASCII letters only

// Number of characters (code points) of a UTF-8 text; raises Error for invalid UTF-8.
std::size_t Utf8Length(std::string_view text);
bool IsValidUtf8(std::string_view text);
// Splits a UTF-8 text into its characters (each a UTF-8 string of one code point).
std::u32string Utf8Decode(std::string_view text);
std::string Utf8Encode(std::u32string_view text);
std::string Utf8Encode(char32_t ch);

}  // namespace platform

// Delimited text as spreadsheets read and write it: fields split at a separator, quoted when
// they hold it, quotes or line breaks ("" inside quotes is one quote); files in UTF-8 or in the
// Windows code page. Every export writes through CsvRow, so that no text cell reaches a
// spreadsheet as a formula.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace core {

// A cell of an exported row. Text cells are guarded: one that opens with "=", "+", "-", "@",
// a tab or a carriage return (what spreadsheets take for a formula, or strip before one) is
// written with an apostrophe before it, so that it reads as the text it is. Number cells are
// the report's own figures ("-1234,50") and are written as they are.
struct CsvCell {
    std::string text;
    bool number = false;
};

inline CsvCell CsvText(std::string text) {
    return {std::move(text), false};
}
inline CsvCell CsvNumber(std::string text) {
    return {std::move(text), true};
}

// One row: the cells joined by `separator`, each quoted when it holds the separator, a quote or
// a line break, and `lineEnd` after them.
std::string CsvRow(const std::vector<CsvCell>& cells, char separator, std::string_view lineEnd);

// Splits one line (without its line end) at `separator` outside quotes. False for a quote left
// open; `fields` then holds what was read.
bool SplitCsvLine(std::string_view line, char separator, std::vector<std::string>& fields);

// The encodings a file may come in.
enum class CsvEncoding { Utf8, Windows1252 };

struct CsvFileText {
    CsvEncoding encoding = CsvEncoding::Utf8;
    std::string utf8;  // without a byte-order mark
};

// The file's text in UTF-8: the bytes as they are when they are valid UTF-8 (a byte-order mark
// dropped), else read as Windows-1252, the code page spreadsheets on Windows save in. The five
// bytes that code page leaves unassigned stand for themselves (as in Latin-1), as browsers read
// such files. Raises core::Error when the system cannot convert.
CsvFileText DecodeCsvBytes(std::string_view bytes);

}  // namespace core

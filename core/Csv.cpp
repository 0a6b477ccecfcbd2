// The CSV writer's guard and quoting, the line splitter, and the code page conversion through
// iconv.
#include "core/Csv.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <type_traits>

#include "core/Error.h"
#include "core/Utf8.h"

namespace core {
namespace {

bool OpensAFormula(std::string_view text) {
    return !text.empty() &&
           std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

std::string Field(const CsvCell& cell, char separator) {
    std::string value = cell.text;
    if (!cell.number && OpensAFormula(value)) value.insert(value.begin(), '\'');
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    if (value.find_first_of(special) == std::string::npos) return value;
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

struct IconvClose {
    void operator()(std::remove_pointer_t<iconv_t>* cd) const { iconv_close(cd); }
};

// Windows-1252 to UTF-8; an unassigned byte is taken as the Latin-1 character of its value.
std::string FromWindows1252(std::string_view bytes) {
    const iconv_t opened = iconv_open("UTF-8", "WINDOWS-1252");
    if (opened == reinterpret_cast<iconv_t>(-1))
        throw Error("O sistema não converte textos de Windows-1252 para UTF-8.");
    const std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvClose> cd(opened);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    // iconv takes a non-const input pointer but does not write through it.
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* to = buffer;
        std::size_t toLeft = sizeof buffer;
        const std::size_t done = iconv(cd.get(), &in, &inLeft, &to, &toLeft);
        const int error = done == static_cast<std::size_t>(-1) ? errno : 0;
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (error == EILSEQ) {
            AppendUtf8(out, static_cast<unsigned char>(*in));
            ++in;
            --inLeft;
        } else if (error != 0 && error != E2BIG) {
            throw Error("Falha ao converter o texto de Windows-1252 para UTF-8.");
        }
    }
    return out;
}

}  // namespace

std::string CsvRow(const std::vector<CsvCell>& cells, char separator, std::string_view lineEnd) {
    std::string row;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) row += separator;
        row += Field(cells[i], separator);
    }
    row += lineEnd;
    return row;
}

bool SplitCsvLine(std::string_view line, char separator, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            fields.push_back(std::move(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(std::move(field));
    return !quoted;
}

CsvFileText DecodeCsvBytes(std::string_view bytes) {
    if (IsValidUtf8(bytes)) {
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        return {CsvEncoding::Utf8, std::string(bytes)};
    }
    return {CsvEncoding::Windows1252, FromWindows1252(bytes)};
}

}  // namespace core

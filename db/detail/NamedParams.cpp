// Parameter renaming for the multi-dialect statements.
#include "db/detail/NamedParams.h"

#include <cctype>

#include "db/DbError.h"

namespace db::detail {

namespace {

bool IsNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c));
}

// Copies a quoted run starting at sql[i] (quote char q, doubled quote escapes) and returns
// the index after it.
std::size_t CopyQuoted(std::string_view sql, std::size_t i, std::string& out) {
    const char q = sql[i];
    out += q;
    ++i;
    while (i < sql.size()) {
        out += sql[i];
        if (sql[i] == q) {
            if (i + 1 < sql.size() && sql[i + 1] == q) {
                out += q;
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

}  // namespace

std::string ToUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

RenamedStatement RenameParams(std::string_view sql, const ParamStyle& style) {
    RenamedStatement result;
    std::string& out = result.sql;
    out.reserve(sql.size() + 16);
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            i = CopyQuoted(sql, i, out);
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const std::size_t end = sql.find('\n', i);
            const std::size_t stop = end == std::string_view::npos ? sql.size() : end;
            out.append(sql.substr(i, stop - i));
            i = stop;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            const std::size_t end = sql.find("*/", i + 2);
            const std::size_t stop = end == std::string_view::npos ? sql.size() : end + 2;
            out.append(sql.substr(i, stop - i));
            i = stop;
        } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
            out += "::";
            i += 2;
        } else if (c == ':' && i + 1 < sql.size() && IsNameStart(sql[i + 1])) {
            std::size_t end = i + 1;
            while (end < sql.size() && IsNameChar(sql[end])) ++end;
            std::string name = ToUpper(sql.substr(i + 1, end - i - 1));
            std::optional<std::string> fixed;
            if (style.fixed) fixed = style.fixed(name);
            if (fixed) {
                out += *fixed;
            } else {
                out += style.before;
                out += style.dollar ? "$" + std::to_string(result.names.size() + 1)
                                    : ":p" + std::to_string(result.names.size());
                out += style.after;
                result.names.push_back(std::move(name));
            }
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return result;
}

std::vector<std::optional<std::string>> ValuesOf(
    const RenamedStatement& statement,
    const std::map<std::string, std::optional<std::string>>& params) {
    std::map<std::string, const std::optional<std::string>*> upper;
    for (const auto& [name, value] : params) upper[ToUpper(name)] = &value;
    std::vector<std::optional<std::string>> values;
    values.reserve(statement.names.size());
    for (const std::string& name : statement.names) {
        const auto found = upper.find(name);
        if (found == upper.end()) throw DbError("O parâmetro :" + name + " não recebeu valor.");
        values.push_back(*found->second);
    }
    return values;
}

}  // namespace db::detail

// Renames every ":NAME" of a statement to a unique ":pN", so that a name used twice is bound
// twice on every backend (SQLite binds equal names once, PostgreSQL numbers each occurrence).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db::detail {

struct RenamedStatement {
    std::string sql;
    std::vector<std::string> names;  // upper-cased original name of :p0, :p1, ...
};

// How a parameter is written: bound as ":pN" between `before` and `after`, or, when `fixed`
// gives a text for its (upper-cased) name, replaced by that text and not bound.
struct ParamStyle {
    std::string before;
    std::string after;
    // PostgreSQL's own numbering, "$1", "$2", ..., instead of ":p0", ":p1", ... (for libpq).
    bool dollar = false;
    std::function<std::optional<std::string>(const std::string& name)> fixed;
};

// Leaves quoted texts, quoted identifiers, comments and PostgreSQL "::" casts untouched.
RenamedStatement RenameParams(std::string_view sql, const ParamStyle& style = {});

std::string ToUpper(std::string_view text);

// The value of each parameter of a renamed statement, in order, from values keyed by name
// without the colon (any case; db::Params). Throws DbError naming a parameter given no value.
std::vector<std::optional<std::string>> ValuesOf(
    const RenamedStatement& statement,
    const std::map<std::string, std::optional<std::string>>& params);

}  // namespace db::detail

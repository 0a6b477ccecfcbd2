// Renames every ":NAME" of a statement to a unique ":pN", so that a name used twice is bound
// twice on every backend (SQLite binds equal names once, PostgreSQL numbers each occurrence).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace db::detail {

struct RenamedStatement {
    std::string sql;
    std::vector<std::string> names;  // upper-cased original name of :p0, :p1, ...
};

// Leaves quoted texts, quoted identifiers, comments and PostgreSQL "::" casts untouched.
RenamedStatement RenameParams(std::string_view sql);

std::string ToUpper(std::string_view text);

}  // namespace db::detail

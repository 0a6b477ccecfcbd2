// The pieces of SQL the three databases write differently, so that a statement above this layer
// is written once and asks its connection for them.
#pragma once

#include <string>
#include <string_view>

namespace db {

// A sequence of numbers; on SQLite, whose writers take turns, there is none and the next number
// is one more than the highest `column` of `table` (its key's last entry: one search).
struct Sequence {
    const char* name;
    const char* table;
    const char* column;
};

// A table of sums kept right by triggers on its source table, in the transaction of every writer
// of the source: per key, the sum of `value` over the source's rows whose `flag` column holds
// `flagged`. The table holds the key's columns under the same names, and `total`; a key whose
// rows all went keeps its row, with 0.
struct KeptSum {
    const char* table;
    const char* source;
    const char* trigger;  // the triggers' name (SQLite adds _I, _U and _D to it)
    const char* key[3];
    const char* value;
    const char* total;
    const char* flag;
    const char* flagged;
};

class DialectSql {
  public:
    virtual ~DialectSql() = default;

    // A SELECT of `values` (a select list) as one row, read from no table.
    virtual std::string SelectRow(std::string_view values) const = 0;
    // `select` locking the rows it reads until the transaction ends (PostgreSQL and Firebird;
    // SQLite's write lock already serialises every writer).
    virtual std::string Locking(std::string_view select) const = 0;
    // A SELECT of the sequence's next number, one row of one column.
    virtual std::string NextValue(const Sequence& sequence) const = 0;
};

}  // namespace db

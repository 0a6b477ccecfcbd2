// The savepoint statements, the same on every dialect.
#include "db/Savepoint.h"

#include <utility>

namespace db {

Savepoint::Savepoint(Connection& connection, std::string name)
    : connection_(connection), name_(std::move(name)) {
    connection_.Execute("SAVEPOINT " + name_);
}

void Savepoint::RollBack() {
    connection_.Execute("ROLLBACK TO SAVEPOINT " + name_);
}

}  // namespace db

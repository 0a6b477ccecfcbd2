// A SELECT read whole through SOCI's dynamic rows, every value as text (the backends' Select),
// and a command run once through SOCI. Both let soci::soci_error through, for the backend to sort.
#pragma once

#include <string>

#include "db/Connection.h"
#include "db/detail/RowReaders.h"

namespace soci {
class session;
}

namespace db::detail {

// `trimFixed`: blank-padded CHAR columns (Firebird's) are given without their padding. `sql`
// names its parameters :p0, :p1, ... in order.
QueryResult SelectSoci(soci::session& session, const std::string& sql, const Values& values,
                       bool trimFixed);
void ExecuteSoci(soci::session& session, const std::string& sql, const Values& values);

}  // namespace db::detail

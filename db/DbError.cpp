// The database layer's error with the library's words kept apart.
#include "db/DbError.h"

#include <utility>

namespace db {

DbError::DbError(const std::string& message, std::string detail)
    : core::Error(message), detail_(std::move(detail)) {}

DbError DbError::Prefixed(std::string_view prefix) const {
    return DbError(std::string(prefix) + what(), detail_);
}

}  // namespace db

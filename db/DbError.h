// Errors of the database layer: a failed connection, statement or schema step, worded for a user.
#pragma once

#include "core/Error.h"

namespace db {

class DbError : public core::Error {
  public:
    using core::Error::Error;
};

}  // namespace db

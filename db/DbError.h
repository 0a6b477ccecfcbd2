// Errors of the database layer: a failed connection, statement or schema step, worded for a user.
#pragma once

#include "platform/Exceptions.h"

namespace db {

class DbError : public platform::Error {
  public:
    using platform::Error::Error;
};

}  // namespace db

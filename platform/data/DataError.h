// Errors of record sets, fields, filters and packets; every message is fit to show a user.
#pragma once

#include "platform/Exceptions.h"

namespace platform {

// A refused record-set operation (wrong state, a value that does not fit, a bad filter or
// packet). The set is left exactly as it was before the refused operation.
class DataSetError : public Error {
  public:
    using Error::Error;
};

}  // namespace platform

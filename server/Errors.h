// The server's domain errors. Methods.cpp maps each to its JSON-RPC code, in one place.
#pragma once

#include "core/Error.h"

namespace server {

// Arguments that are not what the method takes: a wrong count or type, an unknown kind tag,
// a value no balance can hold (invalid params).
class ArgumentError : public core::Error {
  public:
    using core::Error::Error;
};

// A refusal of the business rules: a row of another company or kind, a month that is no
// month's last day, a duplicate key, an unknown account or owner, a ledger balance exceeded.
class RuleError : public core::Error {
  public:
    using core::Error::Error;
};

// A row changed or removed by someone else since the client read it.
class ConflictError : public core::Error {
  public:
    using core::Error::Error;
};

}  // namespace server

// The server's domain errors. Each carries its kind, so that the places that sort errors (the
// JSON-RPC codes in Methods.cpp, the outcomes kept under request keys) ask the kind and never
// the type.
#pragma once

#include <string>

#include "core/Error.h"

namespace server {

enum class ErrorKind {
    // Arguments that are not what the method takes: a wrong count or type, an unknown kind
    // tag, a value no balance can hold (invalid params).
    Argument,
    // A refusal of the business rules: a row of another company or kind, a month that is no
    // month's last day, a duplicate key, an unknown account or owner, a ledger balance
    // exceeded.
    Rule,
    // A row changed or removed by someone else since the client read it.
    Conflict,
};

class ServiceError : public core::Error {
  public:
    ServiceError(ErrorKind kind, const std::string& message) : core::Error(message), kind_(kind) {}
    ErrorKind Kind() const { return kind_; }

  private:
    ErrorKind kind_;
};

class ArgumentError : public ServiceError {
  public:
    explicit ArgumentError(const std::string& message)
        : ServiceError(ErrorKind::Argument, message) {}
};

class RuleError : public ServiceError {
  public:
    explicit RuleError(const std::string& message) : ServiceError(ErrorKind::Rule, message) {}
};

class ConflictError : public ServiceError {
  public:
    explicit ConflictError(const std::string& message)
        : ServiceError(ErrorKind::Conflict, message) {}
};

// Raises the error of the kind with the message.
[[noreturn]] inline void ThrowServiceError(ErrorKind kind, const std::string& message) {
    switch (kind) {
        case ErrorKind::Argument:
            throw ArgumentError(message);
        case ErrorKind::Rule:
            throw RuleError(message);
        case ErrorKind::Conflict:
            break;
    }
    throw ConflictError(message);
}

}  // namespace server

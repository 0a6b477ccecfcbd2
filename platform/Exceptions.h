// The framework's exception types. Every error meant for a user carries a message fit to
// show as it stands; Abort is the silent abort that the event boundary never reports.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// An error whose message can be shown to the user as it stands.
class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A text that is not a valid number or date ("'x' não é um valor inteiro válido").
class ConversionError : public Error {
  public:
    using Error::Error;
};

// Ends the operation under way without any further message; raised after the user has
// already been shown what went wrong.
class Abort : public std::exception {
  public:
    const char* what() const noexcept override { return "Operação cancelada"; }
};

}  // namespace platform

// The framework's exception types. Every error meant for a user carries a message fit to
// show as it stands; Abort is the silent abort that the event boundary never reports.
#pragma once

#include <exception>
#include <string>

#include "core/Error.h"

namespace platform {

// An error whose message can be shown to the user as it stands: the project's one base error
// type, so that the framework reports the errors of every layer alike.
using core::Error;

// A text that is not a valid number or date ("'x' não é um valor inteiro válido").
class ConversionError : public Error {
  public:
    using Error::Error;
    ~ConversionError() override;
};

// Ends the operation under way without any further message; raised after the user has
// already been shown what went wrong.
class Abort : public std::exception {
  public:
    const char* what() const noexcept override { return "Operação cancelada"; }
};

}  // namespace platform

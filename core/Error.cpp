// Anchors the base error's type information in the shared library, so that it is caught by
// type across every module boundary.
#include "core/Error.h"

namespace core {

Error::Error(const std::string& message) : std::runtime_error(message) {}

Error::~Error() = default;

}  // namespace core

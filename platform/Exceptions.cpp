// Anchors the exception types' vtables in the shared library, so that they are caught by
// type across the module boundary.
#include "platform/Exceptions.h"

namespace platform {

ConversionError::~ConversionError() = default;

}  // namespace platform

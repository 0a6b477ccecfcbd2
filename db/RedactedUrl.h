// A database URL as it may be shown or logged.
#pragma once

#include <string>

namespace db {

// The URL with its password blanked out ("password=***" in key=value forms, "user:***@" in
// URI forms).
std::string RedactedUrl(const std::string& url);

}  // namespace db

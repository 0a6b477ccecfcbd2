// What the client adds to a save so that it can be sent again safely and be audited: a request
// key no other save shares, and the name of the user at the desktop.
#pragma once

#include <string>

namespace library {

// 32 hexadecimal digits from the system's random source: 128 bits, so that two saves of any
// clients never share one.
std::string NewRequestKey();

// The login name of the user running the program ("" when the system does not say).
std::string DesktopUserName();

}  // namespace library

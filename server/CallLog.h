// Where the server's methods write their log lines.
#pragma once

#include <functional>
#include <string>

namespace server {

// Receives one line per event; never longer than a few hundred characters whatever the
// request held.
using CallLog = std::function<void(const std::string& line)>;

}  // namespace server

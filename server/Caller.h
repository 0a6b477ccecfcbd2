// Who makes a call and from where: what a call that writes records as its author. The user is
// the one the server identified; the address is the one the server saw.
#pragma once

#include <string>

namespace server {

struct Caller {
    std::string user;
    std::string peer;
};

}  // namespace server

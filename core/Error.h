// The one base type of every error meant for a user: the framework's, the database layer's,
// the wire's and the server's errors all derive from it.
#pragma once

#include <stdexcept>
#include <string>

namespace core {

// An error whose message can be shown to the user as it stands.
class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& message);
    ~Error() override;
};

}  // namespace core

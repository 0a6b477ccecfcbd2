// Session tokens: a successful login opens one, valid for 12 hours; a client presents it again
// on a new connection instead of the password. Only the token's SHA-256 is stored.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace db {
class Connection;
}

namespace server {

inline constexpr std::chrono::seconds kSessionLifetime = std::chrono::hours(12);

// A token as a client holds it, and the hash it is stored under.
struct SessionToken {
    std::string token;
    std::string hash;
};

class Sessions {
  public:
    explicit Sessions(db::Connection& connection) : connection_(connection) {}

    // Opens a session of the user at `now` (UTC seconds), dropping expired ones.
    SessionToken Open(const std::string& user, std::int64_t now);
    // The user of a session still valid at `now`; nullopt for a malformed, unknown, closed
    // or expired token.
    std::optional<std::string> Resume(const std::string& token, std::int64_t now);
    // Ends the session stored under the hash; nothing for an unknown one.
    void Close(const std::string& hash);

  private:
    db::Connection& connection_;
};

// UTC seconds since 1970.
std::int64_t NowSeconds();

}  // namespace server

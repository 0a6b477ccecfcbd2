// The server's users as the database keeps them: name, password hash (or none), locked or
// not, and rights per company. Every change runs in one write transaction; a read of one
// user's state and rights is one small query, so the gate can repeat it on every call.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/Rights.h"

namespace db {
class Connection;
}

namespace server {

inline constexpr std::size_t kMaxUserNameChars = 64;

// What the gate and the login need of a user.
struct UserAccess {
    std::optional<std::string> passwordHash;
    bool locked = false;
    Rights rights;
};

// A line of `user list`.
struct UserSummary {
    std::string name;
    bool hasPassword = false;
    bool locked = false;
    std::string created;  // UTC, as the audit trail writes it
    Rights rights;
};

// Raises core::Error unless the name is 1 to 64 characters of UTF-8 without blanks or control
// characters.
void CheckUserName(std::string_view name);

class Users {
  public:
    explicit Users(db::Connection& connection) : connection_(connection) {}

    // True when no user exists yet.
    bool None();
    // Raises core::Error when the name is taken or invalid.
    void Add(const std::string& name, const std::optional<std::string>& passwordHash,
             const Rights& rights);
    // These raise core::Error naming the user when there is no such user.
    void SetPassword(const std::string& name, const std::string& passwordHash);
    void SetLocked(const std::string& name, bool locked);
    // Replaces every right of the user.
    void SetRights(const std::string& name, const Rights& rights);
    // Removes the user with its rights and sessions.
    void Remove(const std::string& name);

    std::vector<UserSummary> List();
    // The user's state and rights; nullopt for an unknown name.
    std::optional<UserAccess> Find(const std::string& name);

  private:
    void Require(const std::string& name);
    void WriteRights(const std::string& name, const Rights& rights);

    db::Connection& connection_;
};

}  // namespace server

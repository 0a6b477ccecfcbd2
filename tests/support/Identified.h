// Test support: a connection on which a user is already identified, as a login leaves it, for
// calls handed straight to a dispatcher (a call with no connection is refused).
#pragma once

#include <string>

#include "db/Connection.h"
#include "rpc/Connection.h"
#include "rpc/Identification.h"
#include "server/Identification.h"
#include "server/Users.h"

namespace testsupport {

inline constexpr const char* kTestUser = "teste";

// Creates `user` when missing, with "lançamento" on every company (or the rights given), and
// returns a connection from `peer` identified as that user.
inline rpc::Connection Identified(const std::string& databaseUrl,
                                  const std::string& user = kTestUser,
                                  const server::Rights& rights = {{std::string(rpc::kAllCompanies),
                                                                   server::Right::Write}},
                                  const std::string& peer = "192.0.2.7") {
    auto connection = db::Connection::Open(databaseUrl);
    server::Users users(*connection);
    if (!users.Find(user)) users.Add(user, std::nullopt, rights);
    return {rpc::Transport::Tcp, peer, std::nullopt, server::Identity{user, {}, false}};
}

}  // namespace testsupport

// The two Firebird URL forms: an embedded database file opened in this process, and a
// database served by a Firebird server.
#pragma once

#include <string>
#include <string_view>

namespace db::detail {

struct FirebirdTarget {
    // What the client library attaches to: an absolute file path (embedded) or
    // "HOST/PORT:DATABASE" (server).
    std::string service;
    // Empty: the client library takes ISC_USER and ISC_PASSWORD from the environment.
    std::string user;
    std::string password;
    bool embedded = false;
};

// "firebird:PATH" opens PATH in this process (a relative path is taken from the current
// folder); "firebird://[USER[:PASSWORD]@]HOST[:PORT]/DATABASE" reaches a server, where
// DATABASE is an alias ("/saldo") or an absolute path on the server ("//var/lib/x.fdb").
// User, password and database may be percent-encoded. Throws DbError naming the form when
// the URL does not fit it.
FirebirdTarget ParseFirebirdUrl(std::string_view url);

// True for a URL of either form.
bool IsFirebirdUrl(std::string_view url);

}  // namespace db::detail

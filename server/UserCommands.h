// The administration of users from the server's machine (`saldo-server user ...` and the
// first administrator of `init`): what each command changes and the line it prints.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace server {

struct UserCommand {
    // "add", "password", "list", "lock", "unlock", "remove" or "rights".
    std::string action;
    std::string name;
    // add: read a password from `in`.
    bool passwordFromInput = false;
    // add, rights: "COMPANY=consulta|lançamento".
    std::vector<std::string> rights;
};

// Runs the command, printing what it did (or the list) to `out`; passwords are read from
// `in`, one line, at least 8 characters. Raises core::Error (with nothing changed) for an
// unknown user, a name taken, a bad right or a short password.
void RunUserCommand(db::Connection& connection, const UserCommand& command, std::istream& in,
                    std::ostream& out);

// Creates `name` (or, when empty, the operating-system user running the program) as the first
// administrator, with "lançamento" on every company and no password, when the database has no
// user yet. Returns the name created, nullopt when users already existed.
std::optional<std::string> CreateFirstAdministrator(db::Connection& connection, std::string name);

}  // namespace server

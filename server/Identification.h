// Who is calling: the methods "Sessao.Entrar" (user and password), "Sessao.Retomar" (a session
// token), "Sessao.Quem" and "Sessao.Sair", and the gate every method of the remote module
// passes first. The identified user lives in the connection (rpc::Connection::identity, an
// Identity); a local socket's connection is identified by its operating-system user, looked
// up as the application user of the same name.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "db/ConnectionPool.h"
#include "rpc/Arguments.h"
#include "rpc/Dispatcher.h"
#include "server/CallLog.h"
#include "server/LoginThrottle.h"
#include "server/Rights.h"

namespace server {

// What rpc::Connection::identity holds once the caller is identified.
struct Identity {
    std::string user;
    // The SHA-256 of the session token the connection logged in or resumed with; empty on a
    // local socket identified by its operating-system user.
    std::string sessionHash;
    bool byOperatingSystem = false;
};

inline constexpr const char* kUnidentifiedMessage =
    "Identificação necessária: entre com usuário e senha antes de usar o servidor.";
inline constexpr const char* kLoginRefusedMessage = "Usuário ou senha inválidos.";

// The operating system's name of a user id (getpwuid_r); nullopt when it has none.
std::optional<std::string> OperatingSystemUserName(std::uint32_t uid);

class Identification {
  public:
    Identification(db::ConnectionPool& pool, CallLog log);

    // Registers the "Sessao" methods.
    void Register(rpc::Dispatcher& dispatcher);

    // The identified user of the call's connection. Raises rpc::RpcError -32004 when there is
    // none (a call from within the process has none either). Reads nothing.
    std::string Identify(const rpc::Arguments& arguments);
    // The same, then the user's state and rights read again (one query): -32004 when the user
    // was removed or locked since, -32006 when the rights do not allow `needed` on the
    // company. Each refusal is logged.
    std::string Admit(const rpc::Arguments& arguments, const std::string& company, Right needed);

  private:
    std::string Login(const rpc::Arguments& arguments);
    std::string Resume(const rpc::Arguments& arguments);
    std::string WhoAmI(const rpc::Arguments& arguments);
    std::string Logout(const rpc::Arguments& arguments);
    // The throttle's wait before answering an attempt, logged when there is one.
    void Wait(const std::string& address, const std::string& user);

    db::ConnectionPool& pool_;
    CallLog log_;
    LoginThrottle throttle_;
};

}  // namespace server

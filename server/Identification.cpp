// The login, the session tokens and the per-call gate, with their log lines.
#include "server/Identification.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/MessageText.h"
#include "db/DbError.h"
#include "rpc/Identification.h"
#include "rpc/RpcError.h"
#include "server/PasswordHash.h"
#include "server/Sessions.h"
#include "server/Users.h"

namespace server {
namespace {

using nlohmann::json;

constexpr std::size_t kLogNameChars = 64;

template <typename Work>
auto OnConnection(db::ConnectionPool& pool, Work&& work) {
    auto lease = pool.Acquire();
    try {
        return work(*lease);
    } catch (const db::DbError&) {
        lease.Discard();
        throw;
    }
}

std::string ForLog(const std::string& name) {
    return core::Shortened(name, kLogNameChars);
}

std::string AddressOf(const rpc::Arguments& arguments) {
    return arguments.Peer().empty() ? std::string("?") : std::string(arguments.Peer());
}

json RightsJson(const Rights& rights) {
    json out = json::object();
    for (const auto& [company, right] : rights) out[company] = std::string(RightName(right));
    return out;
}

[[noreturn]] void Refuse() {
    throw rpc::RpcError(rpc::kLoginRefused, kLoginRefusedMessage);
}

// A string argument no longer than `maxJsonBytes` as JSON text; nullopt otherwise, decoded
// only when small.
std::optional<std::string> SmallString(const rpc::Arguments& arguments, std::size_t index,
                                       std::size_t maxJsonBytes) {
    if (arguments.Type(index) != rpc::ArgumentType::String)
        throw rpc::RpcError(rpc::kInvalidParams,
                            "O argumento " + std::to_string(index + 1) + " deve ser texto.");
    if (arguments.Json(index).size() > maxJsonBytes) return std::nullopt;
    return arguments.String(index);
}

void ExpectCount(const rpc::Arguments& arguments, std::size_t count, const char* method) {
    if (arguments.Count() != count)
        throw rpc::RpcError(rpc::kInvalidParams,
                            std::string("Sessao.") + method + " espera " + std::to_string(count) +
                                " argumentos, recebeu " + std::to_string(arguments.Count()) + ".");
}

rpc::Connection& OriginOf(const rpc::Arguments& arguments) {
    if (arguments.Origin() == nullptr)
        throw rpc::RpcError(rpc::kUnidentified, kUnidentifiedMessage);
    return *arguments.Origin();
}

std::string OsRefusal(const std::string& name) {
    return "O usuário do sistema " + core::Quoted(name, kLogNameChars) +
           " não tem acesso ao servidor de aplicação: entre com usuário e senha.";
}

}  // namespace

std::optional<std::string> OperatingSystemUserName(std::uint32_t uid) {
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(static_cast<uid_t>(uid), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_name == nullptr)
        return std::nullopt;
    return std::string(found->pw_name);
}

Identification::Identification(db::ConnectionPool& pool, CallLog log)
    : pool_(pool), log_(std::move(log)) {}

void Identification::Register(rpc::Dispatcher& dispatcher) {
    const std::string server(rpc::kSessionServer);
    dispatcher.AddMethod(server, std::string(rpc::kLogin),
                         [this](const rpc::Arguments& a) { return Login(a); });
    dispatcher.AddMethod(server, std::string(rpc::kResume),
                         [this](const rpc::Arguments& a) { return Resume(a); });
    dispatcher.AddMethod(server, std::string(rpc::kWhoAmI),
                         [this](const rpc::Arguments& a) { return WhoAmI(a); });
    dispatcher.AddMethod(server, std::string(rpc::kLogout),
                         [this](const rpc::Arguments& a) { return Logout(a); });
}

std::string Identification::Identify(const rpc::Arguments& arguments) {
    rpc::Connection* origin = arguments.Origin();
    if (origin != nullptr) {
        if (const auto* identity = std::any_cast<Identity>(&origin->identity))
            return identity->user;
        if (origin->transport == rpc::Transport::Local && origin->uid) {
            if (auto name = OperatingSystemUserName(*origin->uid)) {
                origin->identity = Identity{*name, {}, true};
                return *name;
            }
        }
    }
    if (log_) log_("chamada sem identificação recusada (" + AddressOf(arguments) + ")");
    throw rpc::RpcError(rpc::kUnidentified, kUnidentifiedMessage);
}

std::string Identification::Admit(const rpc::Arguments& arguments, const std::string& company,
                                  Right needed) {
    const std::string user = Identify(arguments);
    const auto access = OnConnection(
        pool_, [&](db::Connection& connection) { return Users(connection).Find(user); });
    const auto& identity = std::any_cast<const Identity&>(arguments.Origin()->identity);
    if (!access || access->locked) {
        if (log_)
            log_("acesso recusado: usuário " + ForLog(user) +
                 (access ? " bloqueado" : " inexistente") + " (" + AddressOf(arguments) + ")");
        throw rpc::RpcError(rpc::kUnidentified,
                            identity.byOperatingSystem ? OsRefusal(user) : kUnidentifiedMessage);
    }
    if (!Covers(access->rights, company, needed)) {
        const std::string message = "O usuário " + user + " não tem direito de " +
                                    std::string(RightName(needed)) + " na empresa " +
                                    core::Shortened(company, 16) + ".";
        if (log_)
            log_("direito recusado: " + core::Shortened(message, 200) + " (" +
                 AddressOf(arguments) + ")");
        throw rpc::RpcError(rpc::kForbidden, message);
    }
    return user;
}

void Identification::Wait(const std::string& address, const std::string& user) {
    const auto delay = throttle_.Delay(address, user);
    if (delay.count() == 0) return;
    if (log_) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2f", static_cast<double>(delay.count()) / 1000);
        log_("atraso de " + std::string(seconds) + " s na entrada de " + address +
             (user.empty() ? std::string() : " (usuário " + ForLog(user) + ")"));
    }
    if (!throttle_.BeginWait(address)) {
        throttle_.Failed(address, user);
        if (log_) log_("tentativa simultânea de entrada recusada: " + address);
        throw rpc::RpcError(rpc::kLoginRefused, kLoginRefusedMessage);
    }
    struct WaitEnd {
        LoginThrottle& throttle;
        const std::string& address;
        ~WaitEnd() { throttle.EndWait(address); }
    } end{throttle_, address};
    std::this_thread::sleep_for(delay);
}

std::string Identification::Login(const rpc::Arguments& arguments) {
    ExpectCount(arguments, 2, "Entrar");
    rpc::Connection& origin = OriginOf(arguments);
    const auto user = SmallString(arguments, 0, 4 * kMaxUserNameChars + 2);
    const auto password = SmallString(arguments, 1, 6 * kMaxPasswordBytes + 2);
    const std::string address = AddressOf(arguments);
    const std::string name = user.value_or("");
    Wait(address, name);
    const auto access =
        user ? OnConnection(
                   pool_, [&](db::Connection& connection) { return Users(connection).Find(*user); })
             : std::nullopt;
    const std::string typed = password && password->size() <= kMaxPasswordBytes ? *password : "";
    const bool matches = access && access->passwordHash
                             ? VerifyPassword(*access->passwordHash, typed) && !typed.empty()
                             : VerifyNobody(typed);
    if (!matches || access->locked) {
        throttle_.Failed(address, name);
        if (log_) {
            log_((access && access->locked ? "usuário bloqueado tentou entrar: "
                                           : "entrada recusada: usuário ") +
                 ForLog(name) + " de " + address);
        }
        Refuse();
    }
    throttle_.Succeeded(address, name);
    const SessionToken session = OnConnection(pool_, [&](db::Connection& connection) {
        return Sessions(connection).Open(name, NowSeconds());
    });
    origin.identity = Identity{name, session.hash, false};
    if (log_) log_("entrada: usuário " + ForLog(name) + " de " + address);
    return json{
        {"usuario", name}, {"token", session.token}, {"direitos", RightsJson(access->rights)}}
        .dump();
}

std::string Identification::Resume(const rpc::Arguments& arguments) {
    ExpectCount(arguments, 1, "Retomar");
    rpc::Connection& origin = OriginOf(arguments);
    const auto token = SmallString(arguments, 0, 66);
    const std::string address = AddressOf(arguments);
    Wait(address, {});
    std::optional<std::string> user;
    std::optional<UserAccess> access;
    if (token) {
        OnConnection(pool_, [&](db::Connection& connection) {
            user = Sessions(connection).Resume(*token, NowSeconds());
            if (user) access = Users(connection).Find(*user);
        });
    }
    if (!access || access->locked) {
        throttle_.Failed(address, {});
        if (log_) log_("sessão recusada de " + address);
        Refuse();
    }
    throttle_.Succeeded(address, {});
    origin.identity = Identity{*user, Sha256Hex(*token), false};
    if (log_) log_("sessão retomada: usuário " + ForLog(*user) + " de " + address);
    return json{{"usuario", *user}, {"token", *token}, {"direitos", RightsJson(access->rights)}}
        .dump();
}

std::string Identification::WhoAmI(const rpc::Arguments& arguments) {
    ExpectCount(arguments, 0, "Quem");
    const std::string user = Identify(arguments);
    const auto access = OnConnection(
        pool_, [&](db::Connection& connection) { return Users(connection).Find(user); });
    const auto& identity = std::any_cast<const Identity&>(arguments.Origin()->identity);
    if (!access || access->locked)
        throw rpc::RpcError(rpc::kUnidentified,
                            identity.byOperatingSystem ? OsRefusal(user) : kUnidentifiedMessage);
    return json{{"usuario", user}, {"direitos", RightsJson(access->rights)}}.dump();
}

std::string Identification::Logout(const rpc::Arguments& arguments) {
    ExpectCount(arguments, 0, "Sair");
    rpc::Connection* origin = arguments.Origin();
    if (origin == nullptr) return "null";
    if (const auto* identity = std::any_cast<Identity>(&origin->identity)) {
        if (!identity->sessionHash.empty()) {
            const std::string hash = identity->sessionHash;
            OnConnection(pool_,
                         [&](db::Connection& connection) { Sessions(connection).Close(hash); });
        }
        if (log_) log_("saída: usuário " + ForLog(identity->user) + " de " + AddressOf(arguments));
    }
    origin->identity.reset();
    return "null";
}

}  // namespace server

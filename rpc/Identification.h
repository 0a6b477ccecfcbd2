// The identification step of the wire, shared by both ends: a caller names itself before its
// first call (a login with user and password, or a session token it got from one); on a local
// socket the operating system names it instead.
#pragma once

#include <string>
#include <string_view>

namespace rpc {

// "Sessao.Entrar" [user, password] → {"usuario", "token", "direitos"}
// "Sessao.Retomar" [token]         → {"usuario", "token", "direitos"}
// "Sessao.Quem" []                 → {"usuario", "direitos"}
// "Sessao.Sair" []                 → null; the connection's token stops working
inline constexpr std::string_view kSessionServer = "Sessao";
inline constexpr std::string_view kLogin = "Entrar";
inline constexpr std::string_view kResume = "Retomar";
inline constexpr std::string_view kWhoAmI = "Quem";
inline constexpr std::string_view kLogout = "Sair";

// A user's rights on a company's balances; "*" stands for every company.
inline constexpr std::string_view kRightRead = "consulta";
inline constexpr std::string_view kRightWrite = "lançamento";
inline constexpr std::string_view kAllCompanies = "*";

struct Credentials {
    std::string user;
    std::string password;
};

// What a login window shows: the server, its certificate's fingerprint (empty off TLS), and
// why the previous attempt was refused (empty on the first).
struct LoginPrompt {
    std::string server;
    std::string fingerprint;
    std::string refusal;
};

}  // namespace rpc

// `saldo-server user ...`: the users' table changed through Users, passwords hashed here.
#include "server/UserCommands.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <istream>
#include <ostream>

#include "core/Error.h"
#include "core/MessageText.h"
#include "core/Utf8.h"
#include "rpc/Identification.h"
#include "server/Identification.h"
#include "server/PasswordHash.h"
#include "server/Users.h"

namespace server {
namespace {

// Asks for the password and hides what is typed when it is read from a terminal.
class NoEcho {
  public:
    NoEcho() : active_(isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &saved_) == 0) {
        if (!active_) return;
        std::fputs("Senha: ", stderr);
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~NoEcho() {
        if (!active_) return;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
        std::fputs("\n", stderr);
    }
    NoEcho(const NoEcho&) = delete;
    NoEcho& operator=(const NoEcho&) = delete;

  private:
    termios saved_{};
    bool active_;
};

// One line of at most kMaxPasswordBytes, without its line end.
std::string ReadPassword(std::istream& in) {
    const NoEcho quiet;
    std::string password;
    char c = 0;
    while (in.get(c) && c != '\n') {
        if (password.size() == kMaxPasswordBytes)
            throw core::Error("Senha longa demais: use no máximo " +
                              std::to_string(kMaxPasswordBytes) + " bytes.");
        password += c;
    }
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (!core::IsValidUtf8(password) || core::Utf8Length(password) < kMinPasswordChars)
        throw core::Error("Senha curta demais: use ao menos " + std::to_string(kMinPasswordChars) +
                          " caracteres.");
    return password;
}

Rights ParseRights(const std::vector<std::string>& texts) {
    Rights rights;
    for (const std::string& text : texts) AddRight(rights, text);
    return rights;
}

std::string RightsText(const Rights& rights) {
    std::string text;
    for (const auto& [company, right] : rights)
        text += (text.empty() ? "" : " ") + company + "=" + std::string(RightName(right));
    return text.empty() ? "(nenhum)" : text;
}

}  // namespace

void RunUserCommand(db::Connection& connection, const UserCommand& command, std::istream& in,
                    std::ostream& out) {
    Users users(connection);
    const std::string& name = command.name;
    if (command.action == "add") {
        const Rights rights = ParseRights(command.rights);
        CheckUserName(name);
        std::optional<std::string> hash;
        if (command.passwordFromInput) hash = HashPassword(ReadPassword(in));
        users.Add(name, hash, rights);
        out << "Usuário " << name << " criado" << (hash ? "" : " sem senha")
            << "; direitos: " << RightsText(rights) << ".\n";
    } else if (command.action == "password") {
        if (!users.Find(name))
            throw core::Error("O usuário " + core::Quoted(name, kMaxUserNameChars) +
                              " não existe.");
        users.SetPassword(name, HashPassword(ReadPassword(in)));
        out << "Senha do usuário " << name << " alterada.\n";
    } else if (command.action == "lock" || command.action == "unlock") {
        const bool lock = command.action == "lock";
        users.SetLocked(name, lock);
        out << "Usuário " << name << (lock ? " bloqueado.\n" : " desbloqueado.\n");
    } else if (command.action == "remove") {
        users.Remove(name);
        out << "Usuário " << name << " removido.\n";
    } else if (command.action == "rights") {
        const Rights rights = ParseRights(command.rights);
        users.SetRights(name, rights);
        out << "Direitos do usuário " << name << ": " << RightsText(rights) << ".\n";
    } else {
        for (const UserSummary& user : users.List()) {
            out << user.name << "\t" << (user.hasPassword ? "com senha" : "sem senha") << "\t"
                << (user.locked ? "bloqueado" : "ativo") << "\t" << user.created << "\t"
                << RightsText(user.rights) << "\n";
        }
    }
}

std::optional<std::string> CreateFirstAdministrator(db::Connection& connection, std::string name) {
    Users users(connection);
    if (!users.None()) return std::nullopt;
    if (name.empty()) {
        const auto own = OperatingSystemUserName(static_cast<std::uint32_t>(geteuid()));
        if (!own) throw core::Error("O usuário do sistema não tem nome: informe --admin NOME.");
        name = *own;
    }
    users.Add(name, std::nullopt, {{std::string(rpc::kAllCompanies), Right::Write}});
    return name;
}

}  // namespace server

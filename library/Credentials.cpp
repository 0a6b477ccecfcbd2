// The credentials file is read through one descriptor: what is checked (owner, mode, size) is
// what is read, even if the path changes meanwhile.
#include "library/Credentials.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Utf8.h"
#include "library/RequestKey.h"
#include "platform/app/Application.h"
#include "platform/app/DialogPort.h"
#include "rpc/RpcError.h"

namespace library {

namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

std::string Named(const std::filesystem::path& file) {
    return "O arquivo de credenciais " + file.string();
}

[[noreturn]] void Malformed(const std::filesystem::path& file) {
    throw CredentialsError(Named(file) + " deve ter duas linhas: usuario=NOME e senha=SENHA.");
}

// Where the user's configuration lives, as for the client's config file.
std::filesystem::path ConfigFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
        return xdg;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::filesystem::path(home) / ".config";
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_dir != nullptr)
        return std::filesystem::path(entry->pw_dir) / ".config";
    return {};
}

bool HasControlCharacter(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

}  // namespace

std::filesystem::path CredentialsFilePath() {
    if (const char* path = std::getenv("SALDO_CREDENCIAIS"); path != nullptr && *path != '\0')
        return path;
    const std::filesystem::path folder = ConfigFolder();
    return folder.empty() ? folder : folder / "saldo" / "credenciais";
}

rpc::Credentials ParseCredentials(std::string_view text, const std::filesystem::path& file) {
    if (!core::IsValidUtf8(text)) throw CredentialsError(Named(file) + " não está em UTF-8.");
    std::optional<std::string> user;
    std::optional<std::string> password;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) Malformed(file);
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (value.empty() || HasControlCharacter(value)) Malformed(file);
        std::optional<std::string>* slot = key == "usuario" ? &user
                                           : key == "senha" ? &password
                                                            : nullptr;
        if (slot == nullptr || slot->has_value()) Malformed(file);
        slot->emplace(value);
    }
    if (!user || !password) Malformed(file);
    return {std::move(*user), std::move(*password)};
}

std::optional<rpc::Credentials> ReadCredentialsFile(const std::filesystem::path& file) {
    const Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        throw CredentialsError("Não foi possível ler o arquivo de credenciais " + file.string() +
                               ": " + std::strerror(errno) + ".");
    }
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw CredentialsError(Named(file) + " não é um arquivo comum.");
    const std::string protect =
        " Ele deve ser seu e legível só por você: chmod 600 " + file.string() + ".";
    if (status.st_uid != ::geteuid())
        throw CredentialsError(Named(file) + " não pertence a este usuário." + protect);
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        throw CredentialsError(Named(file) + " pode ser lido ou alterado por outros usuários." +
                               protect);
    if (static_cast<std::size_t>(status.st_size) > kMaxCredentialsFileBytes)
        throw CredentialsError(Named(file) + " é grande demais (mais de " +
                               std::to_string(kMaxCredentialsFileBytes) + " bytes).");
    // One byte over the limit tells a file that grew since fstat.
    std::string text(kMaxCredentialsFileBytes + 1, '\0');
    std::size_t size = 0;
    while (size < text.size()) {
        const ssize_t got = ::read(fd.Get(), text.data() + size, text.size() - size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0)
            throw CredentialsError("Não foi possível ler o arquivo de credenciais " +
                                   file.string() + ": " + std::strerror(errno) + ".");
        if (got == 0) break;
        size += static_cast<std::size_t>(got);
    }
    if (size > kMaxCredentialsFileBytes)
        throw CredentialsError(Named(file) + " é grande demais (mais de " +
                               std::to_string(kMaxCredentialsFileBytes) + " bytes).");
    text.resize(size);
    return ParseCredentials(text, file);
}

std::optional<rpc::Credentials> AskCredentials(const rpc::LoginPrompt& prompt) {
    // After a refusal the file's password was the one refused: only the window may do better.
    if (prompt.refusal.empty()) {
        try {
            if (auto fromFile = ReadCredentialsFile(CredentialsFilePath())) return fromFile;
        } catch (const CredentialsError& e) {
            throw rpc::RpcError(rpc::kUnidentified, e.what());
        }
    }
    platform::DialogPort* dialogs = platform::Application::Instance().Dialogs();
    if (dialogs == nullptr) return std::nullopt;
    auto answer =
        dialogs->AskLogin({prompt.server, prompt.fingerprint, prompt.refusal, DesktopUserName()});
    if (!answer) return std::nullopt;
    return rpc::Credentials{std::move(answer->user), std::move(answer->password)};
}

}  // namespace library

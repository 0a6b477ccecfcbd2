// Reads the client's configuration from the environment and an optional config file.
// The values are read on every call, so a host can change them before opening a screen.
#include "library/Orvane.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/Exceptions.h"

namespace library {

namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The user's config file: SALDO_CONFIG, else $XDG_CONFIG_HOME/saldo/client.conf, else
// ~/.config/saldo/client.conf. Lines "key = value"; "#" starts a comment.
std::filesystem::path ConfigPath() {
    if (auto explicitPath = EnvOrEmpty("SALDO_CONFIG"); !explicitPath.empty()) return explicitPath;
    if (auto xdg = EnvOrEmpty("XDG_CONFIG_HOME"); !xdg.empty())
        return std::filesystem::path(xdg) / "saldo" / "client.conf";
    if (auto home = EnvOrEmpty("HOME"); !home.empty())
        return std::filesystem::path(home) / ".config" / "saldo" / "client.conf";
    return {};
}

// The machine's config file, laid down by the desktop package for every user of the machine:
// saldo/client.conf in the configuration folder of the installation this library belongs to,
// found from the library's own place so that an installation moved to another prefix reads
// its own file.
std::filesystem::path SystemConfigPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&SystemConfigPath), &info) == 0 ||
        info.dli_fname == nullptr)
        return {};
    const auto libraryDir = std::filesystem::path(info.dli_fname).parent_path();
    return (libraryDir / SALDO_LIB_TO_SYSCONF / "saldo" / "client.conf").lexically_normal();
}

// A config file holds a few lines; anything larger is not one.
constexpr std::uintmax_t kMaxConfigBytes = 64 * 1024;

std::map<std::string, std::string> ReadConfigFile(const std::filesystem::path& path,
                                                  bool mustExist) {
    std::map<std::string, std::string> values;
    if (path.empty()) return values;
    std::ifstream in(path);
    if (!in) {
        if (mustExist)
            throw platform::Error("Arquivo de configuração não encontrado: " + path.string());
        return values;
    }
    std::error_code ec;
    if (const auto size = std::filesystem::file_size(path, ec); !ec && size > kMaxConfigBytes)
        throw platform::Error("Arquivo de configuração grande demais (mais de 64 KiB): " +
                              path.string());
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const auto hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        line = Trim(line);
        if (line.empty()) continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            throw platform::Error(path.string() + ", linha " + std::to_string(number) +
                                  " não tem a forma chave = valor");
        values[Trim(line.substr(0, eq))] = Trim(line.substr(eq + 1));
    }
    return values;
}

struct Setting {
    std::string value;
    std::string source;
    std::filesystem::path file;  // the config file it came from, if any
};

// The environment variable wins over the user's config file, which wins over the machine's.
// A file named by SALDO_CONFIG must exist; the default locations are optional.
Setting Lookup(const char* variable, const std::string& key) {
    if (auto env = EnvOrEmpty(variable); !env.empty()) return {env, variable, {}};
    const bool named = !EnvOrEmpty("SALDO_CONFIG").empty();
    for (const auto& [path, mustExist] :
         {std::pair{ConfigPath(), named}, std::pair{SystemConfigPath(), false}}) {
        const auto values = ReadConfigFile(path, mustExist);
        if (auto it = values.find(key); it != values.end())
            return {it->second, path.string() + " (" + key + ")", path};
    }
    return {};
}

std::vector<ServerAddress> CurrentServers() {
    const auto setting = Lookup("SALDO_SERVER", "server");
    if (setting.value.empty()) return {{"127.0.0.1", kDefaultServerPort}};
    return ParseServerList(setting.value, setting.source);
}

// The list as TNetConnection::Host takes it, or as messages name it.
std::string JoinServers(const std::vector<ServerAddress>& servers, const char* separator) {
    std::string text;
    for (const ServerAddress& server : servers)
        text += (text.empty() ? "" : separator) + ServerWhere(server);
    return text;
}

}  // namespace

std::string DBPict(int pictureType) {
    if (pictureType == kPictContaContabil) return "0.0.0.00.0000;1;_";
    return {};
}

ServerAddress ParseServerAddress(const std::string& text, const std::string& source) {
    const auto bad = [&] {
        return platform::Error(
            source + " inválido: '" + text + "' (esperado host:porta, por exemplo 127.0.0.1:" +
            std::to_string(kDefaultServerPort) + ", ou unix:/caminho/do/soquete)");
    };
    if (text.starts_with(kLocalSocketPrefix)) {
        // The socket's path must fit a socket address (108 bytes with its terminator).
        const std::string_view path = std::string_view(text).substr(kLocalSocketPrefix.size());
        if (!path.starts_with('/') || path.size() > 107 || path.find('\0') != path.npos)
            throw bad();
        return {text, 0};
    }
    std::string host;
    std::string port;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':')
            throw bad();
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const auto colon = text.rfind(':');
        if (colon == std::string::npos || text.find(':') != colon) throw bad();
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    if (host.empty() || port.empty() || port.size() > 5) throw bad();
    for (const char c : host)
        if (c == ' ' || c == '\t' || c == '/') throw bad();
    int value = 0;
    for (const char c : port) {
        if (c < '0' || c > '9') throw bad();
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) throw bad();
    return {host, value};
}

std::vector<ServerAddress> ParseServerList(const std::string& text, const std::string& source) {
    std::vector<ServerAddress> servers;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (servers.size() == kMaxServers)
            throw platform::Error(source + " inválido: mais de " + std::to_string(kMaxServers) +
                                  " servidores em '" + text + "'");
        servers.push_back(ParseServerAddress(Trim(text.substr(start, comma - start)), source));
        start = comma + 1;
    }
    return servers;
}

std::string ServerWhere(const ServerAddress& server) {
    if (server.host.starts_with(kLocalSocketPrefix)) return server.host;
    const bool v6 = server.host.find(':') != std::string::npos;
    return (v6 ? "[" + server.host + "]" : server.host) + ":" + std::to_string(server.port);
}

void CheckDatabaseURL(const std::string& text, const std::string& source) {
    const auto after = [&](std::string_view prefix) {
        return text.starts_with(prefix) ? text.substr(prefix.size()) : std::string();
    };
    const bool ok = !after("sqlite:").empty() || !after("postgresql://").empty() ||
                    !after("postgres://").empty() || !after("firebird:").empty();
    if (!ok)
        throw platform::Error(source + " inválido: '" + text +
                              "' (esperado sqlite:ARQUIVO, postgresql://... ou firebird:...)");
}

// The same file the server creates and serves by default, relative to the working folder.
std::string DefaultDatabaseURL() {
    return "sqlite:data/saldo.db";
}

ServerTrust CurrentServerTrust() {
    ServerTrust trust;
    if (auto ca = Lookup("SALDO_CA", "ca"); !ca.value.empty()) {
        std::filesystem::path file = ca.value;
        if (file.is_relative() && !ca.file.empty()) file = ca.file.parent_path() / file;
        trust.authorityFile = file.string();
    }
    trust.fingerprint = Lookup("SALDO_FINGERPRINT", "fingerprint").value;
    return trust;
}

bool IsLoopbackHost(const std::string& host) {
    if (host == "localhost") return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

std::string WebURL() {
    const std::vector<ServerAddress> servers = CurrentServers();
    return servers.size() == 1 ? servers.front().host : JoinServers(servers, ",");
}

int WebPort() {
    const std::vector<ServerAddress> servers = CurrentServers();
    return servers.size() == 1 ? servers.front().port : 0;
}

std::string WebWhere() {
    const std::vector<ServerAddress> servers = CurrentServers();
    if (servers.size() == 1) {
        const ServerAddress& server = servers.front();
        if (server.host.starts_with(kLocalSocketPrefix)) return server.host;
        return server.host + ":" + std::to_string(server.port);
    }
    return JoinServers(servers, ", ");
}

std::string DatabaseURL() {
    const auto setting = Lookup("SALDO_DB", "db");
    if (setting.value.empty()) return DefaultDatabaseURL();
    CheckDatabaseURL(setting.value, setting.source);
    return setting.value;
}

}  // namespace library

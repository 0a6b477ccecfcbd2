// Environment of the accounting client: where the application server and the business
// database are, and the edit pictures of the database's coded columns.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace library {

// Picture type of the ledger-account code (CDCONTCTBL).
inline constexpr int kPictContaContabil = 2;

// The edit mask of a picture type: type 2 is the ledger-account code "9.9.9.99.9999"
// (five levels, dots kept in the text); unknown types have no mask (empty text).
std::string DBPict(int pictureType);

// The application server's host and port: SALDO_SERVER ("host:port", "[v6addr]:port"),
// else the config file's `server`, else 127.0.0.1 and the server's default port. A server on
// this machine's local socket is "unix:/path/of/the/socket": WebURL gives that text whole and
// WebPort gives 0. Several servers of one deployment, tried in turn, are a comma-separated list
// of those forms ("a:47630, b:47630"): WebURL gives the list ("a:47630,b:47630") and WebPort 0,
// which TNetConnection takes as such.
std::string WebURL();
int WebPort();
// The server as messages name it: "host:port", or "unix:PATH" for a local socket; a list as
// "a:47630, b:47630".
std::string WebWhere();

// How the client trusts the application server's certificate, for TLS: the certificate of the
// authority that signed it (SALDO_CA, else the config file's `ca`; a relative path is taken
// from the config file's folder) and/or the SHA-256 fingerprint of the server's certificate
// (SALDO_FINGERPRINT, else `fingerprint`, "AB:CD:…"). Both empty: no TLS.
struct ServerTrust {
    std::string authorityFile;
    std::string fingerprint;
    bool Empty() const { return authorityFile.empty() && fingerprint.empty(); }
};
ServerTrust CurrentServerTrust();

// True for a name or address of this machine's loopback ("localhost", 127.x.x.x, ::1): a
// server there is reached without TLS when no trust is configured.
bool IsLoopbackHost(const std::string& host);

// The business database's URL (same form as the server's --db: "sqlite:PATH",
// "postgresql://..."): SALDO_DB, else the config file's `db`, else the demo SQLite file.
std::string DatabaseURL();

// The application server's default port and the demo database's default location; the
// server uses the same defaults, so an out-of-the-box setup needs no configuration.
inline constexpr int kDefaultServerPort = 47630;
std::string DefaultDatabaseURL();

struct ServerAddress {
    std::string host;
    int port = 0;
};

// The prefix of a local socket's address, "unix:/run/saldo/saldo.sock".
inline constexpr std::string_view kLocalSocketPrefix = "unix:";

// Parses "host:port", "[v6addr]:port" or "unix:/absolute/path" (host the whole text, port 0);
// `source` names where the text came from and is part of the error raised for a malformed
// value.
ServerAddress ParseServerAddress(const std::string& text, const std::string& source);

// At most this many servers in a list.
inline constexpr std::size_t kMaxServers = 16;

// Parses a comma-separated list of ParseServerAddress's forms (blanks around each entry allowed);
// raises naming `source` for an empty or malformed entry, or more than kMaxServers entries.
std::vector<ServerAddress> ParseServerList(const std::string& text, const std::string& source);

// The address as messages name it: "host:port" ("[v6addr]:port" for an IPv6 address), or the
// local socket's "unix:PATH".
std::string ServerWhere(const ServerAddress& server);

// Checks a database URL's form; raises naming `source` when it is malformed.
void CheckDatabaseURL(const std::string& text, const std::string& source);

}  // namespace library

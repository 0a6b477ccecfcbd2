// Test fixture: a real saldo-server on a free loopback port and on a local socket in its own
// folder, over a fresh database with the demonstration data (an SQLite file, a schema on the
// throw-away PostgreSQL server SALDO_TEST_PG names, or a database on the throw-away Firebird server
// that SALDO_TEST_FB points into), stopped (and its database removed) when the fixture goes away.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class ServerProcess {
  public:
    // Runs `saldo-server init --db URL --demo` (which makes the operating-system user running
    // the tests the administrator, identified on the local socket), creates kUser with
    // kPassword and "lançamento" on every company through `saldo-server user add`, then
    // `serve` on a free port and the local socket (with the extra serve options given), and
    // waits until the port accepts connections. backend: "sqlite",
    // "postgresql" (which needs SALDO_TEST_PG) or "firebird" (which needs SALDO_TEST_FB).
    // Raises std::runtime_error when it cannot.
    explicit ServerProcess(std::string serverBinary = SALDO_SERVER_BINARY,
                           const std::string& backend = "sqlite",
                           std::vector<std::string> serveOptions = {});
    // A second server over `first`'s database (another deployment of the same system): its
    // own port and local socket, the same users; the database stays `first`'s to remove.
    ServerProcess(const ServerProcess& first, std::vector<std::string> serveOptions);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // The user a TCP caller signs in as ("Sessao.Entrar" [kUser, kPassword]).
    static constexpr const char* kUser = "teste";
    static constexpr const char* kPassword = "senha-de-teste";

    int Port() const { return port_; }
    // The local socket, where the operating-system user is identified without a password.
    std::string Address() const { return "unix:" + Socket().string(); }
    std::filesystem::path Socket() const { return dir_ / "saldo.sock"; }
    std::string TcpAddress() const { return "127.0.0.1:" + std::to_string(port_); }
    // The SQLite file (empty on Firebird).
    std::filesystem::path DatabaseFile() const { return file_; }
    const std::string& DatabaseURL() const { return url_; }

    // Stops the server (SIGTERM, then SIGKILL after a grace period); safe to call twice.
    void Stop();
    // Ends the server at once (SIGKILL), as a crash or a power cut would.
    void Kill();
    // Serves again on the same port and database; waits until the port accepts connections.
    void Restart();

    // A loopback port nobody listens on right now.
    static int FreePort();

  private:
    // Starts `serve` on port_ and waits for it; false when it did not come up.
    bool Serve();

    std::string binary_;
    std::vector<std::string> serveOptions_;
    std::string pgBase_, pgSchema_;
    std::filesystem::path dir_;
    std::filesystem::path file_;
    std::string url_;
    bool ownsDatabase_ = true;
    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace testsupport

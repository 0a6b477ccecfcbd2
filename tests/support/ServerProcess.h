// Test fixture: a real saldo-server on a free loopback port over a fresh SQLite file with the
// demonstration data, stopped (and its file removed) when the fixture goes away.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class ServerProcess {
  public:
    // Runs `saldo-server init --db sqlite:FILE --demo`, then `serve` on a free port (with the
    // extra serve options given), and waits until the port accepts connections. Raises
    // std::runtime_error when it cannot.
    explicit ServerProcess(std::string serverBinary = SALDO_SERVER_BINARY,
                           std::vector<std::string> serveOptions = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::filesystem::path DatabaseFile() const { return dir_ / "saldo.db"; }
    std::string DatabaseURL() const { return "sqlite:" + (dir_ / "saldo.db").string(); }

    // Stops the server (SIGTERM, then SIGKILL after a grace period); safe to call twice.
    void Stop();

    // A loopback port nobody listens on right now.
    static int FreePort();

  private:
    std::string binary_;
    std::filesystem::path dir_;
    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace testsupport

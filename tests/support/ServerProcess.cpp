// Starts and stops the real application server for end-to-end tests.
#include "tests/support/ServerProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#include "db/Connection.h"
#include "db/detail/Firebird.h"

namespace testsupport {

namespace {

// Runs the binary with the arguments and returns the child's pid.
pid_t Spawn(const std::string& binary, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::vector<std::string> all{binary};
    all.insert(all.end(), args.begin(), args.end());
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

// Runs the binary with the arguments, writes `input` to its standard input, and returns the
// child's exit status.
int RunWithInput(const std::string& binary, const std::vector<std::string>& args,
                 const std::string& input) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> all{binary};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(pipeFds[0], STDIN_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    close(pipeFds[0]);
    const bool written =
        write(pipeFds[1], input.data(), input.size()) == static_cast<ssize_t>(input.size());
    close(pipeFds[1]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return written && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int WaitExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

}  // namespace

int ServerProcess::FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = 0;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("no free loopback port");
    close(fd);
    return ntohs(addr.sin_port);
}

namespace {

// A folder of its own for each server this process starts.
std::filesystem::path NewFolder(std::string& unique) {
    static int counter = 0;
    unique = std::to_string(getpid()) + "-" + std::to_string(++counter);
    const auto dir = std::filesystem::temp_directory_path() / ("saldo-test-" + unique);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace

ServerProcess::ServerProcess(const ServerProcess& first, std::vector<std::string> serveOptions)
    : binary_(first.binary_),
      serveOptions_(std::move(serveOptions)),
      file_(first.file_),
      url_(first.url_),
      ownsDatabase_(false) {
    std::string unique;
    dir_ = NewFolder(unique);
    for (int attempt = 0; attempt < 3 && pid_ < 0; ++attempt) {
        port_ = FreePort();
        Serve();
    }
    if (pid_ < 0) {
        std::filesystem::remove_all(dir_);
        throw std::runtime_error("a second saldo-server did not start listening on " + url_);
    }
}

ServerProcess::ServerProcess(std::string serverBinary, const std::string& backend,
                             std::vector<std::string> serveOptions)
    : binary_(std::move(serverBinary)), serveOptions_(std::move(serveOptions)) {
    std::string unique;
    dir_ = NewFolder(unique);
    if (backend == "firebird") {
        const char* base = std::getenv("SALDO_TEST_FB");
        if (base == nullptr) throw std::runtime_error("SALDO_TEST_FB is not set");
        url_ = std::string(base) + "/screen-" + unique + ".fdb";
    } else if (backend == "postgresql") {
        const char* base = std::getenv("SALDO_TEST_PG");
        if (base == nullptr) throw std::runtime_error("SALDO_TEST_PG is not set");
        pgBase_ = base;
        pgSchema_ = "srv_" + unique;
        std::replace(pgSchema_.begin(), pgSchema_.end(), '-', '_');
        db::Connection::Open(pgBase_)->Execute("CREATE SCHEMA " + pgSchema_);
        url_ = pgBase_ + " options='-c search_path=" + pgSchema_ + "'";
    } else {
        file_ = dir_ / "saldo.db";
        url_ = "sqlite:" + file_.string();
    }
    if (WaitExit(Spawn(binary_, {"init", "--db", DatabaseURL(), "--demo"})) != 0)
        throw std::runtime_error("saldo-server init failed for " + DatabaseURL());
    if (RunWithInput(binary_,
                     {"user", "add", kUser, "--password-stdin", "--right", "*=lançamento", "--db",
                      DatabaseURL()},
                     std::string(kPassword) + "\n") != 0)
        throw std::runtime_error("saldo-server user add failed for " + DatabaseURL());
    for (int attempt = 0; attempt < 3 && pid_ < 0; ++attempt) {
        port_ = FreePort();
        Serve();
    }
    if (pid_ < 0) {
        std::filesystem::remove_all(dir_);
        throw std::runtime_error("saldo-server did not start listening on " + url_);
    }
}

bool ServerProcess::Serve() {
    std::vector<std::string> args{"serve",      "--db",     DatabaseURL(),    "--listen",
                                  TcpAddress(), "--socket", Socket().string()};
    args.insert(args.end(), serveOptions_.begin(), serveOptions_.end());
    pid_ = Spawn(binary_, args);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!Accepts(port_)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_ ||
            std::chrono::steady_clock::now() > deadline) {
            Stop();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void ServerProcess::Kill() {
    if (pid_ < 0) return;
    kill(pid_, SIGKILL);
    WaitExit(pid_);
    pid_ = -1;
}

void ServerProcess::Restart() {
    Kill();
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (Serve()) return;
    }
    throw std::runtime_error("saldo-server did not start again on port " + std::to_string(port_));
}

ServerProcess::~ServerProcess() {
    Stop();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    if (!ownsDatabase_) return;
    if (!pgSchema_.empty()) {
        try {
            db::Connection::Open(pgBase_)->Execute("DROP SCHEMA " + pgSchema_ + " CASCADE");
        } catch (const std::exception&) {
        }
    } else if (file_.empty()) {
        try {
            db::detail::DropFirebirdDatabase(db::detail::ParseFirebirdUrl(url_));
        } catch (const std::exception&) {
        }
    }
}

void ServerProcess::Stop() {
    if (pid_ < 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_ || r < 0) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    WaitExit(pid_);
    pid_ = -1;
}

}  // namespace testsupport

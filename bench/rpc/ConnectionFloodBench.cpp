// How long a new client waits for its first answer from the built saldo-server while others
// hold 64 idle and 500 half-open connections (a request begun and never finished), side by side
// with the same client on a quiet server. Printed as times and as a ratio.
//
//   build/release/bin/bench-connections [rounds]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "rpc/Client.h"
#include "rpc/RpcError.h"
#include "support/ServerProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

// A connection from a chosen loopback address that may send a few bytes, then only waits.
class Held {
  public:
    Held(int port, const std::string& from, const char* begin)
        : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
        sockaddr_in remote{};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(static_cast<std::uint16_t>(port));
        remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            ::connect(fd_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
            std::perror("connect");
            std::exit(1);
        }
        if (begin != nullptr) ::send(fd_, begin, std::char_traits<char>::length(begin), 0);
    }
    ~Held() { ::close(fd_); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

  private:
    int fd_;
};

// Milliseconds from a new client's connect to its first answer, `rounds` times.
std::vector<double> FirstAnswers(int port, int rounds) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        rpc::ClientOptions options;
        options.timeout = std::chrono::seconds(30);
        rpc::Client client("127.0.0.1", static_cast<std::uint16_t>(port), options);
        const auto start = Clock::now();
        // The client does not sign in: the server's refusal (-32004) is its first answer.
        try {
            client.Call("Rdq63500.rdmSaldComer.GetVdSaldoContCtbl",
                        {"01", "2.1.1.01.0001", "01/2024", 1.0});
        } catch (const rpc::RpcError&) {
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times;
}

void Report(const char* what, const std::vector<double>& times, double quietMedian) {
    const double median = times[times.size() / 2];
    std::printf("%-58s median %7.2f ms  max %7.2f ms  ratio %5.2f\n", what, median, times.back(),
                median / quietMedian);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    testsupport::ServerProcess server;
    const int port = server.Port();

    const std::vector<double> quiet = FirstAnswers(port, rounds);
    const double quietMedian = quiet[quiet.size() / 2];
    Report("quiet server", quiet, quietMedian);

    // The flood comes from other addresses than the client's.
    {
        std::vector<std::unique_ptr<Held>> flood;
        for (int i = 0; i < 64; ++i) {
            flood.push_back(
                std::make_unique<Held>(port, "127.0.0." + std::to_string(2 + i % 4), nullptr));
        }
        for (int i = 0; i < 500; ++i) {
            flood.push_back(std::make_unique<Held>(port, "127.0.0." + std::to_string(6 + i % 10),
                                                   R"({"jsonrpc":"2.0","id":1,)"));
        }
        Report("64 idle + 500 half-open from 14 other addresses", FirstAnswers(port, rounds),
               quietMedian);
    }
    // The same flood from the client's own address.
    {
        std::vector<std::unique_ptr<Held>> flood;
        for (int i = 0; i < 64; ++i)
            flood.push_back(std::make_unique<Held>(port, "127.0.0.1", nullptr));
        for (int i = 0; i < 500; ++i) {
            flood.push_back(
                std::make_unique<Held>(port, "127.0.0.1", R"({"jsonrpc":"2.0","id":1,)"));
        }
        Report("64 idle + 500 half-open from the client's own address", FirstAnswers(port, rounds),
               quietMedian);
    }
    return 0;
}

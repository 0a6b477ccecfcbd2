// A stream of saves through the client library while the real server is killed (SIGKILL) and
// started again at random moments: the library sends a save again, with the same request key,
// when its connection breaks after sending; and the same across two servers of one database. Every
// save must end applied exactly once, every refusal must be a real one, and nothing may be lost.
// SALDO_RETRY_SAVES sets the number of saves (a few hundred by default; 1,000 for the figure the
// documentation quotes).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "core/Calendar.h"
#include "db/Connection.h"
#include "library/RequestKey.h"
#include "library/TNetConnection.h"
#include "rpc/RpcError.h"
#include "support/ServerProcess.h"
#include "support/TestDatabase.h"

namespace {

using nlohmann::json;

int SaveCount() {
    const char* text = std::getenv("SALDO_RETRY_SAVES");
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 240;
}

// Kills the server at random moments and starts it again, until told to stop. After each
// restart it waits for one more save to be answered, so that the stream makes progress however
// long the server takes to start.
class Killer {
  public:
    Killer(testsupport::ServerProcess& server, const std::atomic<int>& answered)
        : thread_([this, &server, &answered] {
              std::mt19937 random(20261208);
              std::uniform_int_distribution<int> pause(2, 60);
              while (!stop_) {
                  const int seen = answered;
                  while (!stop_ && answered == seen)
                      std::this_thread::sleep_for(std::chrono::milliseconds(1));
                  std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
                  if (stop_) break;
                  server.Kill();
                  ++kills_;
                  std::this_thread::sleep_for(std::chrono::milliseconds(pause(random) / 2));
                  server.Restart();
              }
          }) {}
    ~Killer() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int Kills() const { return kills_; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<int> kills_{0};
    std::thread thread_;
};

class SaveRetryTest : public testing::TestWithParam<std::string> {};

TEST_P(SaveRetryTest, EverySaveIsAppliedOnceAndEveryRefusalIsReal) {
    SALDO_SKIP_UNAVAILABLE_BACKEND();
    testsupport::ServerProcess server(SALDO_SERVER_BINARY, GetParam());
    library::TNetConnection net;
    net.ServerName = "Rdq63500.rdmSaldComer";
    net.Host = server.Address();
    net.ThrowException = false;
    net.Timeout = std::chrono::seconds(10);
    net.RetryWindow = std::chrono::seconds(20);
    const json fields = net.Call("GetSaldComer", {"01", ""}).Payload["fields"];
    ASSERT_EQ(fields.size(), 11u);

    const auto row = [](int index, long long cents) {
        const int year = 2040 + index / 12;
        return json::array({core::LastDayIso(year, index % 12 + 1), "2.1.1.01.0002", "x", "x",
                            static_cast<double>(cents) / 100, "Não", "01", "F", "000002", nullptr,
                            nullptr});
    };
    const auto packet = [&](const json& change) {
        return json{{"fields", fields}, {"changes", json::array({change})}};
    };

    // The counter row: saves that move it by one cent each. A save applied twice would meet
    // a changed original (a false refusal); one lost would leave the counter behind.
    const int counter = 0;
    ASSERT_TRUE(net.Call("SetSaldComer",
                         {"01", "", packet({{"kind", "inserted"}, {"new", row(counter, 0)}})})
                    .Ok);

    const int saves = SaveCount();
    long long counted = 0;
    std::map<int, long long> inserted;  // row index -> cents
    std::set<std::string> acceptedKeys;
    int duplicates = 0, falseRefusals = 0, lost = 0, realRefusals = 0, resent = 0;
    std::atomic<int> answered{0};
    Killer killer(server, answered);
    for (int i = 1; i <= saves; ++i) {
        json change;
        bool refusalExpected = false;
        if (i % 10 == 0 && inserted.count(i - 1) != 0) {
            // The row the previous save inserted, inserted again: a real refusal.
            change = {{"kind", "inserted"}, {"new", row(i - 1, 7)}};
            refusalExpected = true;
        } else if (i % 3 == 0) {
            change = {{"kind", "modified"},
                      {"old", row(counter, counted)},
                      {"new", row(counter, counted + 1)}};
        } else {
            change = {{"kind", "inserted"}, {"new", row(i, i)}};
        }
        const std::string key = library::NewRequestKey();
        const json arguments = {"01", "", packet(change), key, "teste"};
        library::TServerResult result = net.CallWithKey("SetSaldComer", arguments);
        // Killed again during the library's own retry, or down when the save started: send it
        // again a moment later, as a user would, with the same key, until the server answers.
        for (int attempt = 0; !result.Ok && result.Code == 0 && attempt < 40; ++attempt) {
            ++resent;
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            result = net.CallWithKey("SetSaldComer", arguments);
        }
        ++answered;
        if (!result.Ok && result.Code == 0) {
            ++lost;
            ADD_FAILURE() << "save " << i << " never answered: " << result.Error;
            continue;
        }
        if (refusalExpected) {
            if (!result.Ok && result.Error == "Conta comercial já cadastrada.")
                ++realRefusals;
            else
                ADD_FAILURE() << "save " << i << " should have been refused: " << result.Error;
            continue;
        }
        if (!result.Ok) {
            ++falseRefusals;
            ADD_FAILURE() << "save " << i << " refused: " << result.Error;
            continue;
        }
        acceptedKeys.insert(key);
        if (change["kind"] == "modified")
            ++counted;
        else
            inserted[i] = i;
    }
    killer.Stop();

    // What the database holds: the counter, every inserted row once with its value, and one
    // audit line per accepted save.
    auto connection = db::Connection::Open(server.DatabaseURL());
    const auto stored = connection->Select(
        "SELECT CAST(DTIMPSALDO AS VARCHAR(10)) AS D, VRIMPSALDO FROM SALDCOME"
        " WHERE CDEMPRESA = '01' AND CDSALDCOME = '000002' AND CDCONTCTBL = '2.1.1.01.0002'"
        " AND DTIMPSALDO >= '2040-01-31'");
    std::map<std::string, long long> byDate;
    for (const auto& r : stored.rows) byDate[*r.at(0)] = std::stoll(*r.at(1));
    EXPECT_EQ(byDate[row(counter, 0)[0].get<std::string>()], counted);
    EXPECT_EQ(byDate.size(), inserted.size() + 1);
    for (const auto& [index, cents] : inserted)
        EXPECT_EQ(byDate[row(index, 0)[0].get<std::string>()], cents) << "row " << index;
    std::map<std::string, int> linesPerKey;
    for (const auto& r :
         connection->Select("SELECT CHREQUISICAO FROM SALDAUDI WHERE CHREQUISICAO IS NOT NULL")
             .rows)
        ++linesPerKey[*r.at(0)];
    for (const auto& [key, lines] : linesPerKey) {
        if (lines != 1 || acceptedKeys.count(key) == 0) ++duplicates;
    }
    EXPECT_EQ(linesPerKey.size(), acceptedKeys.size());
    EXPECT_EQ(duplicates, 0);
    EXPECT_EQ(falseRefusals, 0);
    EXPECT_EQ(lost, 0);
    EXPECT_GT(killer.Kills(), 0);
    std::cout << GetParam() << ": " << saves << " saves, " << killer.Kills() << " server kills, "
              << resent << " sent again by hand, " << realRefusals << " real refusals; "
              << duplicates << " duplicates, " << falseRefusals << " false refusals, " << lost
              << " lost\n";
}

INSTANTIATE_TEST_SUITE_P(Backends, SaveRetryTest, testing::Values("sqlite", "postgresql"),
                         testsupport::BackendName);

// The next line from `fd`, waiting at most 10 s in all; empty when none comes.
std::string ReadLine(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    char byte = 0;
    while (line.size() < (1u << 20) && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        if (::read(fd, &byte, 1) != 1) return {};
        line += byte;
        if (byte == '\n') return line;
    }
    return {};
}

// Stands between the client and a server on a local socket for one connection: passes one
// request on, lets the server answer it, then kills the server (SIGKILL) and closes the client's
// connection without the reply, as a crash right after a save's commit would.
class ReplyLosingRelay {
  public:
    explicit ReplyLosingRelay(testsupport::ServerProcess& server)
        : path_(std::filesystem::temp_directory_path() /
                ("saldo-relay-" + std::to_string(::getpid()) + ".sock")) {
        std::filesystem::remove(path_);
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 1) != 0)
            throw std::runtime_error("the relay cannot listen on " + path_.string());
        thread_ = std::thread([this, &server] { Run(server); });
    }
    ~ReplyLosingRelay() {
        Join();
        ::close(listener_);
        std::filesystem::remove(path_);
    }
    std::string Address() const { return "unix:" + path_.string(); }
    // The reply the client never got (after Join).
    const std::string& LostReply() const { return lost_; }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    void Run(testsupport::ServerProcess& server) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) return;
        const int client = ::accept(listener_, nullptr, nullptr);
        const int upstream = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, server.Socket().c_str(), sizeof address.sun_path - 1);
        if (::connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            const std::string request = ReadLine(client);
            if (::write(upstream, request.data(), request.size()) ==
                static_cast<ssize_t>(request.size()))
                lost_ = ReadLine(upstream);
        }
        server.Kill();
        ::close(upstream);
        ::close(client);
    }

    std::filesystem::path path_;
    int listener_ = -1;
    std::string lost_;
    std::thread thread_;
};

// Two servers over one database, the client's list naming the first (behind the relay) and then
// the second: a save whose reply was lost goes again, with its key, to the second, which answers
// with the first's outcome; the save is stored once.
TEST(SaveFailoverTest, ASaveWhoseReplyWasLostIsStoredOnceThroughTheNextServer) {
    testsupport::ServerProcess first(SALDO_SERVER_BINARY);
    testsupport::ServerProcess second(first, {});
    library::TNetConnection reader;
    reader.ServerName = "Rdq63500.rdmSaldComer";
    reader.Host = second.Address();
    const json fields = reader.Call("GetSaldComer", {"01", ""}).Payload["fields"];

    ReplyLosingRelay relay(first);
    library::TNetConnection net;
    net.ServerName = "Rdq63500.rdmSaldComer";
    net.Host = relay.Address() + "," + second.Address();
    net.ThrowException = false;
    net.Timeout = std::chrono::seconds(10);
    const json row = {"2041-01-31", "2.1.1.01.0002", "x",     "x",    12.34, "Não", "01",
                      "F",          "000002",        nullptr, nullptr};
    const json packet = {{"fields", fields},
                         {"changes", json::array({{{"kind", "inserted"}, {"new", row}}})}};
    const std::string key = library::NewRequestKey();
    const library::TServerResult result =
        net.CallWithKey("SetSaldComer", {"01", "", packet, key, "teste"});
    relay.Join();
    EXPECT_NE(relay.LostReply().find("\"result\""), std::string::npos)
        << "the first server applied the save: " << relay.LostReply();
    EXPECT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(net.Where(), second.Address());

    auto connection = db::Connection::Open(first.DatabaseURL());
    EXPECT_EQ(connection
                  ->Select("SELECT VRIMPSALDO FROM SALDCOME WHERE CDEMPRESA = '01' AND "
                           "CDSALDCOME = '000002' AND CAST(DTIMPSALDO AS VARCHAR(10)) = "
                           "'2041-01-31'")
                  .rows.size(),
              1u);
    EXPECT_EQ(
        connection->Select("SELECT 1 FROM SALDAUDI WHERE CHREQUISICAO = '" + key + "'").rows.size(),
        1u);
}

}  // namespace

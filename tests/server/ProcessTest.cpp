// The built saldo-server program: init with demo data, serve on a loopback port, answer the
// three methods to a plain client, keep serving after bad input, stop cleanly on SIGTERM.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "rpc/Client.h"
#include "rpc/RpcError.h"
#include "support/TestDatabase.h"

namespace {

using nlohmann::json;
using namespace std::chrono_literals;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ProcessTest : public testing::Test {
  protected:
    void SetUp() override {
        const std::string init = std::string(SALDO_SERVER_PATH) + " init --db '" + database_.Url() +
                                 "' --demo 2>/dev/null";
        ASSERT_EQ(std::system(init.c_str()), 0);
        log_ = std::filesystem::temp_directory_path() /
               ("saldo_server_" + std::to_string(::getpid()) + ".log");
        pid_ = ::fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            const std::string url = database_.Url();
            if (std::freopen(log_.c_str(), "w", stderr) == nullptr) std::_Exit(127);
            ::execl(SALDO_SERVER_PATH, "saldo-server", "serve", "--db", url.c_str(), "--listen",
                    "127.0.0.1:0", static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        const std::regex ready(R"(em 127\.0\.0\.1:(\d+))");
        for (int i = 0; i < 500 && port_ == 0; ++i) {
            std::smatch match;
            const std::string text = ReadFile(log_);
            if (std::regex_search(text, match, ready)) port_ = std::stoi(match[1]);
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_NE(port_, 0) << ReadFile(log_);
    }

    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        std::filesystem::remove(log_);
    }

    // Sends SIGTERM and returns the exit status.
    int Terminate() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    testsupport::TestDatabase database_{"sqlite"};
    std::filesystem::path log_;
    pid_t pid_ = -1;
    int port_ = 0;
};

TEST_F(ProcessTest, AnswersTheThreeMethodsAndStopsOnSigterm) {
    rpc::Client client("127.0.0.1", static_cast<std::uint16_t>(port_));
    const std::string server = "Rdq63500.rdmSaldComer.";
    const json packet = client.Call(server + "GetSaldComer", {"01", ""});
    ASSERT_FALSE(packet["rows"].empty());
    EXPECT_TRUE(client.Call(server + "GetVdSaldoContCtbl", {"01", "2.1.1.01.0001", "08/2025", 1.0})
                    .get<bool>());
    json row = {"2025-08-31",
                "2.1.1.01.0001",
                "Fornecedores Nacionais",
                "",
                1.0,
                "Sim",
                "01",
                "F",
                "000004",
                nullptr,
                nullptr};
    const json delta = {{"fields", packet["fields"]},
                        {"changes", json::array({{{"kind", "inserted"}, {"new", row}}})}};
    EXPECT_TRUE(client.Call(server + "SetSaldComer", {"01", "", delta}).is_null());
    try {
        client.Call(server + "SetSaldComer", {"01", "", delta});
        FAIL();
    } catch (const rpc::RpcError& e) {
        EXPECT_STREQ(e.what(), "Conta comercial já cadastrada.");
    }
    EXPECT_THROW(client.Call("Outro.Servidor.GetSaldComer", {"01", ""}), rpc::RpcError);
    EXPECT_EQ(client.Call(server + "GetSaldComer", {"01", ""})["rows"].size(),
              packet["rows"].size() + 1);

    EXPECT_EQ(Terminate(), 0);
    const std::string log = ReadFile(log_);
    EXPECT_NE(log.find("GetSaldComer empresa=01 "), std::string::npos) << log;
    EXPECT_NE(log.find("SetSaldComer empresa=01 "), std::string::npos) << log;
    EXPECT_NE(log.find("erro: Conta comercial já cadastrada."), std::string::npos) << log;
    EXPECT_NE(log.find("encerrado"), std::string::npos) << log;
}

TEST(ProcessCliTest, ABadDatabaseUrlFailsWithAMessage) {
    const std::string command =
        std::string(SALDO_SERVER_PATH) + " init --db mysql://x 2>&1 | grep -q 'não reconhecido'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace

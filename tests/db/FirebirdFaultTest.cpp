// A Firebird server that dies under a connection: every later call fails with a message, the
// write under way is not committed, and closing the connection does not end the program.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "db/Connection.h"
#include "db/CreateDatabase.h"
#include "db/DbError.h"
#include "db/Schema.h"

namespace {

using namespace std::chrono_literals;

// A Firebird server of the test's own (scripts/fb_virtualenv.sh), which it may kill.
class OwnServer {
  public:
    OwnServer() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("saldo_fbfault_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        const std::string info = (folder_ / "info").string();
        const std::string stop = (folder_ / "stop").string();
        const std::string command = "bash " SALDO_SOURCE_DIR
                                    "/scripts/fb_virtualenv.sh bash -c 'echo "
                                    "\"$SALDO_TEST_FB $SALDO_TEST_FB_PID\" > " +
                                    info + ".tmp && mv " + info + ".tmp " + info +
                                    " && while [ -d " + folder_.string() + " ] && [ ! -e " + stop +
                                    " ]; do sleep 0.1; done' >/dev/null 2>&1 &";
        if (std::system(command.c_str()) != 0) return;
        for (int i = 0; i < 1200 && url_.empty(); ++i) {
            std::ifstream in(info);
            in >> url_ >> pid_;
            if (url_.empty()) std::this_thread::sleep_for(100ms);
        }
    }
    ~OwnServer() {
        std::ofstream(folder_ / "stop") << "";
        // The script removes its folder when it ends; wait for that, briefly.
        const std::size_t at = url_.rfind("//");
        const std::filesystem::path root =
            at == std::string::npos ? std::filesystem::path()
                                    : std::filesystem::path(url_.substr(at + 1)).parent_path();
        for (int i = 0; i < 200 && !root.empty() && std::filesystem::exists(root); ++i) {
            std::this_thread::sleep_for(100ms);
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    OwnServer(const OwnServer&) = delete;
    OwnServer& operator=(const OwnServer&) = delete;

    bool Running() const { return !url_.empty() && pid_ > 0; }
    std::string Url(const std::string& name) const { return url_ + "/" + name + ".fdb"; }
    void Kill() const { ::kill(pid_, SIGKILL); }

  private:
    std::filesystem::path folder_;
    std::string url_;
    pid_t pid_ = 0;
};

TEST(FirebirdFaultTest, AServerThatDiesUnderAConnectionGivesErrorsNotACrash) {
    OwnServer server;
    ASSERT_TRUE(server.Running());
    const std::string url = server.Url("fault");
    db::CreateDatabaseIfMissing(url);
    auto connection = db::Connection::Open(url);
    db::CreateSchema(*connection);
    connection->BeginWrite();
    connection->Execute("INSERT INTO BANCO (CDBANCO, NMBANCO) VALUES ('001', 'Banco')");
    server.Kill();
    std::this_thread::sleep_for(200ms);
    try {
        connection->Execute("INSERT INTO BANCO (CDBANCO, NMBANCO) VALUES ('002', 'B')");
        ADD_FAILURE() << "no failure";
    } catch (const db::DbError& e) {
        // Said in the user's words; the client library's go to the log.
        EXPECT_NE(std::string(e.what()).find("não pôde ser alcançado"), std::string::npos)
            << e.what();
        EXPECT_FALSE(e.Detail().empty());
    }
    EXPECT_THROW(connection->Commit(), db::DbError);
    EXPECT_THROW(connection->Select("SELECT COUNT(*) AS N FROM BANCO"), db::DbError);
    EXPECT_THROW(connection->BeginWrite(), db::DbError);
    connection.reset();
    EXPECT_THROW(db::Connection::Open(url), db::DbError);
}

}  // namespace

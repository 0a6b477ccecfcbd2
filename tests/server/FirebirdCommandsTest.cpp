// saldo-server's commands on Firebird: init creates a missing database file with the demo data,
// a database in another character set is refused by both commands, and a database file opened
// in one process is refused to a second one with what to do instead.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "db/Connection.h"
#include "db/detail/Firebird.h"
#include "support/RunCommand.h"
#include "support/TestDatabase.h"

namespace {

// Runs a command and returns its exit status and everything it printed.
testsupport::CommandOutcome RunCommand(const std::string& command) {
    return testsupport::RunCommand(command + " 2>&1");
}

std::string Server(const std::string& arguments, const std::string& url) {
    return std::string(SALDO_SERVER_PATH) + " " + arguments + " --db '" + url + "'";
}

class FirebirdCommandsTest : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("saldo_fbcmd_" + std::to_string(::getpid()) + "_" +
                   testing::UnitTest::GetInstance()->current_test_info()->name());
        url_ = "firebird:" + (folder_ / "dados" / "saldo.fdb").string();
    }
    void TearDown() override {
        try {
            db::detail::DropFirebirdDatabase(db::detail::ParseFirebirdUrl(url_));
        } catch (const std::exception&) {
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::filesystem::path folder_;
    std::string url_;
};

TEST_F(FirebirdCommandsTest, InitCreatesTheMissingFileWithTheDemoDataOnce) {
    auto [status, output] = RunCommand(Server("init --demo", url_));
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("banco de dados criado"), std::string::npos) << output;
    {
        auto connection = db::Connection::Open(url_);
        EXPECT_EQ(connection->Select("SELECT COUNT(*) AS N FROM EMPRESA").rows[0][0], "3");
    }
    const auto again = RunCommand(Server("init --demo", url_));
    status = again.status;
    output = again.output;
    ASSERT_EQ(status, 0) << output;
    EXPECT_EQ(output.find("banco de dados criado"), std::string::npos) << output;
    EXPECT_NE(output.find("o banco já tem empresas"), std::string::npos) << output;
}

TEST_F(FirebirdCommandsTest, AFileInUseByAnotherProcessIsRefusedWithWhatToDo) {
    ASSERT_EQ(RunCommand(Server("init", url_)).status, 0);
    const auto holder = db::Connection::Open(url_);
    const auto [status, output] = RunCommand(Server("serve --listen 127.0.0.1:0", url_));
    EXPECT_NE(status, 0);
    EXPECT_NE(output.find("já está aberto por outro programa"), std::string::npos) << output;
    EXPECT_NE(output.find("firebird://"), std::string::npos) << output;
}

TEST_F(FirebirdCommandsTest, ADatabaseInAnotherCharacterSetIsRefusedByBothCommands) {
    db::detail::CreateFirebirdDatabase(db::detail::ParseFirebirdUrl(url_), "ISO8859_1");
    for (const char* command : {"init --demo", "serve --listen 127.0.0.1:0"}) {
        const auto [status, output] = RunCommand(Server(command, url_));
        EXPECT_NE(status, 0) << command;
        EXPECT_NE(output.find("conjunto de caracteres ISO8859_1"), std::string::npos) << output;
        EXPECT_NE(output.find("exige UTF8"), std::string::npos) << output;
    }
}

// A server's password never reaches the log.
TEST_F(FirebirdCommandsTest, TheServersPasswordStaysOutOfTheLog) {
    const char* base = testsupport::FirebirdBase();
    if (base == nullptr) GTEST_SKIP() << "SALDO_TEST_FB is not set: no Firebird server";
    url_ = std::string(base) + "/saldo_log_" + std::to_string(::getpid()) + ".fdb";
    const auto password = db::detail::ParseFirebirdUrl(url_).password;
    ASSERT_FALSE(password.empty());
    const auto [status, output] = RunCommand(Server("init", url_));
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("tabelas criadas em firebird://SYSDBA:***@"), std::string::npos)
        << output;
    EXPECT_EQ(output.find(password), std::string::npos) << output;
}

}  // namespace

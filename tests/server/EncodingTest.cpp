// A PostgreSQL database that is not UTF-8 is refused by the database layer and by both
// saldo-server commands, with a message naming the encoding found and how to make a UTF-8 one.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <regex>
#include <string>

#include "db/Connection.h"
#include "db/DbError.h"
#include "support/RunCommand.h"
#include "support/TestDatabase.h"

namespace {

// Runs a command and returns its exit status and everything it printed.
testsupport::CommandOutcome RunCommand(const std::string& command) {
    return testsupport::RunCommand(command + " 2>&1");
}

class EncodingTest : public testing::Test {
  protected:
    void SetUp() override {
        if (testsupport::PostgresBase() == nullptr) GTEST_SKIP() << "SALDO_TEST_PG is not set";
        base_ = testsupport::PostgresBase();
        name_ = "saldo_ascii_" + std::to_string(::getpid());
        auto admin = db::Connection::Open(base_);
        admin->Execute("CREATE DATABASE " + name_ +
                       " ENCODING 'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0");
        url_ = std::regex_replace(base_, std::regex(R"(dbname=\S+)"), "dbname=" + name_);
    }

    void TearDown() override {
        if (name_.empty()) return;
        try {
            db::Connection::Open(base_)->Execute("DROP DATABASE IF EXISTS " + name_);
        } catch (const std::exception&) {
        }
    }

    std::string base_;
    std::string name_;
    std::string url_;
};

TEST_F(EncodingTest, ANonUtf8DatabaseIsRefusedWithHowToMakeOne) {
    try {
        db::Connection::Open(url_);
        FAIL() << "a SQL_ASCII database was accepted";
    } catch (const db::DbError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("codificação SQL_ASCII"), std::string::npos) << message;
        EXPECT_NE(message.find("exige UTF8"), std::string::npos) << message;
        EXPECT_NE(message.find("--encoding=UTF8 --template=template0"), std::string::npos)
            << message;
    }

    for (const char* command : {" init --demo", " serve --listen 127.0.0.1:0"}) {
        const auto [status, output] =
            RunCommand(std::string(SALDO_SERVER_PATH) + command + " --db '" + url_ + "'");
        EXPECT_NE(status, 0) << command;
        EXPECT_NE(output.find("codificação SQL_ASCII"), std::string::npos) << output;
    }
}

TEST_F(EncodingTest, AUtf8DatabaseIsAcceptedAndSpokenToInUtf8) {
    const auto connection = db::Connection::Open(base_);
    const auto encoding = connection->Select("SHOW client_encoding");
    EXPECT_EQ(encoding.rows[0][0], "UTF8");
}

}  // namespace

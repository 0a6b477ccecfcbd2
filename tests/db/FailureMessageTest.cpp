// Database failures a user can act on, provoked on each database: the message says in Portuguese
// what happened and what to do, and the library's own words stay out of it, kept in the detail
// for the server's log.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "db/DbError.h"
#include "support/TestDatabase.h"

namespace {

using db::Connection;

constexpr const char* kDiskFull = "o disco do banco de dados está cheio";
constexpr const char* kUnreachable = "o banco de dados não pôde ser alcançado";
constexpr const char* kBusy = "o banco de dados está ocupado por outra operação";
constexpr const char* kReadOnly = "o banco de dados só permite leitura";

struct FailureCase {
    const char* name;
    const char* backend;
    const char* expected;
    // Makes the failure happen on a fresh database of the backend at `url`.
    std::function<void(const std::string& url)> provoke;
};

void CreateTable(const std::string& url) {
    Connection::Open(url)->Execute("CREATE TABLE T (K INTEGER, X VARCHAR(20))");
}

const std::vector<FailureCase>& Cases() {
    static const std::vector<FailureCase> cases = {
        {"a file that may not grow", "sqlite", kDiskFull,
         [](const std::string& url) {
             CreateTable(url);
             auto connection = Connection::Open(url);
             std::int64_t pages = 0;
             connection->ReadRows("PRAGMA page_count", {}, {db::ColumnType::Integer},
                                  [&](const db::RowView& row) { pages = row.Integer(0); });
             connection->Execute("PRAGMA max_page_count = " + std::to_string(pages));
             connection->Execute("INSERT INTO T (K, X) VALUES (1, randomblob(100000))");
         }},
        {"a connection that may only read", "sqlite", kReadOnly,
         [](const std::string& url) {
             CreateTable(url);
             auto connection = Connection::Open(url);
             connection->Execute("PRAGMA query_only = ON");
             connection->Execute("INSERT INTO T (K) VALUES (1)");
         }},
        {"another writer holding the lock", "sqlite", kBusy,
         [](const std::string& url) {
             auto holder = Connection::Open(url);
             db::WriteTransaction held(*holder);
             auto connection = Connection::Open(url);
             connection->Execute("PRAGMA busy_timeout = 1");
             db::WriteTransaction waiting(*connection);
         }},
        {"a folder that does not exist", "sqlite", kUnreachable,
         [](const std::string&) { Connection::Open("sqlite:/nonexistent-saldo-folder/a.db"); }},
        {"a read-only transaction", "postgresql", kReadOnly,
         [](const std::string& url) {
             CreateTable(url);
             auto connection = Connection::Open(url);
             connection->Execute("SET default_transaction_read_only = on");
             connection->Execute("INSERT INTO T (K) VALUES (1)");
         }},
        {"a row locked past the lock time-out", "postgresql", kBusy,
         [](const std::string& url) {
             CreateTable(url);
             Connection::Open(url)->Execute("INSERT INTO T (K) VALUES (1)");
             auto holder = Connection::Open(url);
             db::WriteTransaction held(*holder);
             holder->Select("SELECT K FROM T FOR UPDATE");
             auto connection = Connection::Open(url);
             connection->Execute("SET lock_timeout = '50ms'");
             db::WriteTransaction waiting(*connection);
             connection->Select("SELECT K FROM T FOR UPDATE");
         }},
        {"a server that does not answer", "postgresql", kUnreachable,
         [](const std::string&) {
             Connection::Open("postgresql://host=127.0.0.1 port=1 dbname=x user=x");
         }},
        {"a server that does not answer", "firebird", kUnreachable,
         [](const std::string&) { Connection::Open("firebird://SYSDBA:x@127.0.0.1:1/x.fdb"); }},
    };
    return cases;
}

TEST(FailureMessageTest, SaysWhatHappenedAndWhatToDoWithoutTheLibrarysWords) {
    for (const FailureCase& c : Cases()) {
        SCOPED_TRACE(std::string(c.backend) + ": " + c.name);
        if (testsupport::SkipUnavailable(c.backend)) continue;
        testsupport::TestDatabase database(c.backend);
        try {
            c.provoke(database.Url());
            ADD_FAILURE() << "no failure";
        } catch (const db::DbError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(c.expected), std::string::npos) << message;
            EXPECT_NE(message.find("tente novamente"), std::string::npos) << message;
            EXPECT_FALSE(e.Detail().empty()) << message;
            EXPECT_EQ(message.find(e.Detail()), std::string::npos) << message;
        }
    }
}

}  // namespace

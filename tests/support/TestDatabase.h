// A throw-away business database for tests: a temporary SQLite file, a fresh schema on the
// PostgreSQL server named by SALDO_TEST_PG (tests of that backend skip when it is not set), or a
// new Firebird database on the server SALDO_TEST_FB points into (scripts/fb_virtualenv.sh), else
// a Firebird file opened in the test's own process.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "db/Connection.h"
#include "db/CreateDatabase.h"
#include "db/DemoData.h"
#include "db/Schema.h"
#include "db/detail/Firebird.h"

namespace testsupport {

inline const char* PostgresBase() {
    return std::getenv("SALDO_TEST_PG");
}

// The URL prefix of the throw-away Firebird server's database folder, or nullptr.
inline const char* FirebirdBase() {
    return std::getenv("SALDO_TEST_FB");
}

// The backends every backend-parameterised suite runs on.
inline auto Backends() {
    return testing::Values("sqlite", "postgresql", "firebird");
}

class TestDatabase {
  public:
    // backend: "sqlite", "postgresql" or "firebird".
    explicit TestDatabase(const std::string& backend) {
        static std::atomic<int> counter{0};
        const std::string unique =
            std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
        if (backend == "sqlite") {
            directory_ = std::filesystem::temp_directory_path() / ("saldo_test_" + unique);
            std::filesystem::create_directories(directory_);
            url_ = "sqlite:" + (directory_ / "saldo.db").string();
        } else if (backend == "firebird") {
            if (const char* base = FirebirdBase()) {
                url_ = std::string(base) + "/saldo_test_" + unique + ".fdb";
            } else {
                directory_ = std::filesystem::temp_directory_path() / ("saldo_test_" + unique);
                url_ = "firebird:" + (directory_ / "saldo.fdb").string();
            }
            db::CreateDatabaseIfMissing(url_);
            firebird_ = true;
        } else {
            const std::string base = PostgresBase();
            schema_ = "t_" + unique;
            auto admin = db::Connection::Open(base);
            admin->Execute("CREATE SCHEMA " + schema_);
            url_ = base + " options='-c search_path=" + schema_ + "'";
            base_ = base;
        }
    }

    ~TestDatabase() {
        if (firebird_) {
            try {
                db::detail::DropFirebirdDatabase(db::detail::ParseFirebirdUrl(url_));
            } catch (const std::exception&) {
            }
        }
        if (!directory_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(directory_, ignored);
        }
        if (!schema_.empty()) {
            try {
                db::Connection::Open(base_)->Execute("DROP SCHEMA " + schema_ + " CASCADE");
            } catch (const std::exception&) {
            }
        }
    }

    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    const std::string& Url() const { return url_; }

    // Schema and demonstration data.
    void Populate() {
        auto connection = db::Connection::Open(url_);
        db::CreateSchema(*connection);
        db::LoadDemoData(*connection);
    }

  private:
    std::string url_;
    std::string base_;
    std::string schema_;
    std::filesystem::path directory_;
    bool firebird_ = false;
};

// Skips the running test when its backend is PostgreSQL and no server was given.
inline bool SkipUnavailable(const std::string& backend) {
    return backend == "postgresql" && PostgresBase() == nullptr;
}

inline std::string BackendName(const testing::TestParamInfo<std::string>& info) {
    return info.param;
}

}  // namespace testsupport

#define SALDO_SKIP_UNAVAILABLE_BACKEND()                                                \
    if (testsupport::SkipUnavailable(GetParam())) {                                     \
        GTEST_SKIP() << "SALDO_TEST_PG is not set: no PostgreSQL server for this test"; \
    }

namespace testsupport {

// A test on each backend (its parameter) with a database of the schema and the demonstration
// data, and a connection to it. A fixture that prepares more calls SetUp() first and returns
// when IsSkipped().
class PopulatedDatabaseTest : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        SALDO_SKIP_UNAVAILABLE_BACKEND();
        database_ = std::make_unique<TestDatabase>(GetParam());
        database_->Populate();
        connection_ = db::Connection::Open(database_->Url());
    }

    std::unique_ptr<TestDatabase> database_;
    std::unique_ptr<db::Connection> connection_;
};

}  // namespace testsupport

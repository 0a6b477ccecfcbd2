// A throw-away business database for tests: a temporary SQLite file, or a fresh schema on the
// PostgreSQL server named by SALDO_TEST_PG (tests of that backend skip when it is not set).
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "db/Connection.h"
#include "db/DemoData.h"
#include "db/Schema.h"

namespace testsupport {

inline const char* PostgresBase() {
    return std::getenv("SALDO_TEST_PG");
}

class TestDatabase {
  public:
    // backend: "sqlite" or "postgresql".
    explicit TestDatabase(const std::string& backend) {
        static std::atomic<int> counter{0};
        const std::string unique =
            std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
        if (backend == "sqlite") {
            directory_ = std::filesystem::temp_directory_path() / ("saldo_test_" + unique);
            std::filesystem::create_directories(directory_);
            url_ = "sqlite:" + (directory_ / "saldo.db").string();
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

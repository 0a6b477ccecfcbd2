// The row reader and statement execution on each backend: values bound, nulls, more rows than
// one fetch batch, a visit that runs the same query again, failures as DbError, a rolled back
// write leaving nothing, and a statement that failed running again.
#include <gtest/gtest.h>

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/detail/NamedParams.h"
#include "support/TestDatabase.h"

namespace {

using db::ColumnType;

class RowReaderTest : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        SALDO_SKIP_UNAVAILABLE_BACKEND();
        database_ = std::make_unique<testsupport::TestDatabase>(GetParam());
        connection_ = db::Connection::Open(database_->Url());
        connection_->Execute("CREATE TABLE T (K INTEGER NOT NULL, S VARCHAR(10), N BIGINT)");
    }
    std::int64_t Count() {
        std::int64_t n = -1;
        connection_->ReadRows("SELECT COUNT(*) FROM T", {}, {ColumnType::Integer},
                              [&](const db::RowView& row) { n = row.Integer(0); });
        return n;
    }

    std::unique_ptr<testsupport::TestDatabase> database_;
    std::unique_ptr<db::Connection> connection_;
};

TEST_P(RowReaderTest, ReadsEveryRowWithItsNullsAcrossBatches) {
    constexpr int kRows = 4500;  // more than two fetch batches
    connection_->BeginWrite();
    for (int k = 0; k < kRows; ++k) {
        connection_->Execute(
            "INSERT INTO T (K, S, N) VALUES (:k, :s, :n)",
            {{"k", std::to_string(k)},
             {"s", k % 3 == 0 ? std::nullopt : std::optional("v" + std::to_string(k))},
             {"n", std::to_string(-k * 100LL)}});
    }
    connection_->Commit();
    for (const bool streamed : {false, true}) {
        int rows = 0;
        const auto visit = [&](const db::RowView& row) {
            const int k = static_cast<int>(row.Integer(0));
            EXPECT_EQ(k, rows);
            EXPECT_EQ(row.IsNull(1), k % 3 == 0);
            EXPECT_EQ(row.Text(1), k % 3 == 0 ? "" : "v" + std::to_string(k));
            EXPECT_EQ(row.Integer(2), -k * 100LL);
            ++rows;
        };
        const std::string sql = "SELECT K, S, N FROM T WHERE K >= :from ORDER BY K";
        const std::vector columns = {ColumnType::Integer, ColumnType::Text, ColumnType::Integer};
        for (int twice = 0; twice < 2; ++twice) {  // the second run reuses the prepared statement
            rows = 0;
            if (streamed)
                connection_->StreamRows(sql, {{"from", "0"}}, columns, visit);
            else
                connection_->ReadRows(sql, {{"from", "0"}}, columns, visit);
            EXPECT_EQ(rows, kRows) << (streamed ? "streamed" : "read");
        }
    }
}

// A reader that gives up part-way (a client gone) leaves the connection ready for the next
// statement, and a failing statement is a DbError, both when rows are streamed.
TEST_P(RowReaderTest, AStreamedReadStoppedPartWayLeavesTheConnectionUsable) {
    for (int k = 0; k < 300; ++k)
        connection_->Execute("INSERT INTO T (K, S, N) VALUES (:k, 'x', 1)",
                             {{"k", std::to_string(k)}});
    int seen = 0;
    EXPECT_THROW(connection_->StreamRows("SELECT K FROM T ORDER BY K", {}, {ColumnType::Integer},
                                         [&](const db::RowView&) {
                                             if (++seen == 10) throw std::runtime_error("desisti");
                                         }),
                 std::runtime_error);
    EXPECT_EQ(seen, 10);
    EXPECT_EQ(Count(), 300);
    EXPECT_THROW(connection_->StreamRows("SELECT NOPE FROM T", {}, {ColumnType::Text},
                                         [](const db::RowView&) {}),
                 db::DbError);
    EXPECT_EQ(Count(), 300);
}

TEST_P(RowReaderTest, AVisitInsideAWriteMayRunTheSameQueryAgain) {
    for (int k = 0; k < 3; ++k)
        connection_->Execute("INSERT INTO T (K, S, N) VALUES (:k, 'x', 1)",
                             {{"k", std::to_string(k)}});
    const std::string sql = "SELECT K FROM T WHERE K >= :k ORDER BY K";
    std::vector<std::string> pairs;
    // Inside a write, as the store reads: on Firebird every statement outside one commits.
    db::WriteTransaction transaction(*connection_);
    connection_->ReadRows(sql, {{"k", "0"}}, {ColumnType::Integer}, [&](const db::RowView& outer) {
        const auto k = outer.Integer(0);
        connection_->ReadRows(
            sql, {{"k", std::to_string(k)}}, {ColumnType::Integer}, [&](const db::RowView& inner) {
                pairs.push_back(std::to_string(k) + std::to_string(inner.Integer(0)));
            });
    });
    EXPECT_EQ(pairs, (std::vector<std::string>{"00", "01", "02", "11", "12", "22"}));
    transaction.Commit();
    // The cached statements are reusable afterwards.
    EXPECT_EQ(Count(), 3);
}

TEST(DollarParamsTest, NumbersParametersOutsideQuotesAndCasts) {
    db::detail::ParamStyle numbered;
    numbered.dollar = true;
    const auto statement = db::detail::RenameParams(
        "SELECT ':a', \"a:b\", X::TEXT FROM T WHERE A = :a AND B = :b OR C=:a -- :c", numbered);
    EXPECT_EQ(statement.sql,
              "SELECT ':a', \"a:b\", X::TEXT FROM T WHERE A = $1 AND B = $2 OR C=$3 -- :c");
    EXPECT_EQ(statement.names, (std::vector<std::string>{"A", "B", "A"}));
}

TEST_P(RowReaderTest, FailuresAreDbErrorsAndARollbackLeavesNothing) {
    EXPECT_THROW(connection_->ReadRows("SELECT NOPE FROM T", {}, {ColumnType::Text},
                                       [](const db::RowView&) {}),
                 db::DbError);
    EXPECT_THROW(connection_->ReadRows("SELECT K FROM T WHERE K = :k", {}, {ColumnType::Integer},
                                       [](const db::RowView&) {}),
                 db::DbError);  // the parameter got no value
    {
        db::WriteTransaction transaction(*connection_);
        connection_->Execute("INSERT INTO T (K) VALUES (1)");
        EXPECT_THROW(connection_->Execute("INSERT INTO T (K) VALUES (:k)", {{"k", std::nullopt}}),
                     db::DbError);
    }
    EXPECT_EQ(Count(), 0);
    // The statement that failed, prepared once for the connection, runs again afterwards.
    connection_->Execute("INSERT INTO T (K) VALUES (:k)", {{"k", "2"}});
    EXPECT_EQ(Count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, RowReaderTest, testsupport::Backends(),
                         testsupport::BackendName);

}  // namespace

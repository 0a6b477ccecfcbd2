// Single-row mode over a statement prepared on first use; every result is read to its end, so
// the connection is left ready for the next statement whatever happens.
#include "db/detail/PgRows.h"

#include <libpq-fe.h>

#include <charconv>
#include <memory>

#include "db/DbError.h"
#include "db/detail/Failure.h"
#include "db/detail/PgFailure.h"

namespace db::detail {
namespace {

struct ResultFree {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultFree>;

class PgRow final : public RowView {
  public:
    void Set(const PGresult* result) { result_ = result; }
    bool IsNull(std::size_t column) const override {
        return PQgetisnull(result_, 0, static_cast<int>(column)) != 0;
    }
    std::string_view Text(std::size_t column) const override {
        const int c = static_cast<int>(column);
        return {PQgetvalue(result_, 0, c), static_cast<std::size_t>(PQgetlength(result_, 0, c))};
    }
    std::int64_t Integer(std::size_t column) const override {
        const std::string_view text = Text(column);
        std::int64_t value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    }

  private:
    const PGresult* result_ = nullptr;
};

// Reads what is left of the statement's results so that the connection can run another.
void Drain(PGconn* connection) {
    while (Result rest{PQgetResult(connection)}) {
    }
}

}  // namespace

const std::string& PgStatements::Prepared(const std::string& sql, int params) {
    if (const auto found = names_.find(sql); found != names_.end()) return found->second;
    std::string name = "saldo_leitura_" + std::to_string(names_.size() + 1);
    const Result prepared(PQprepare(connection_, name.c_str(), sql.c_str(), params, nullptr));
    if (!prepared || PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
        ThrowPgFailure(connection_, prepared.get(), kQueryFailed);
    return names_.emplace(sql, std::move(name)).first->second;
}

void PgStatements::Stream(const std::string& sql, const Values& values,
                          const std::vector<ColumnType>& columns, const RowVisitor& visit) {
    PGconn* connection = connection_;
    const int count = static_cast<int>(values.size());
    const std::string& name = Prepared(sql, count);
    std::vector<const char*> texts;
    texts.reserve(values.size());
    for (const auto& value : values) texts.push_back(value ? value->c_str() : nullptr);
    if (PQsendQueryPrepared(connection, name.c_str(), count, texts.data(), nullptr, nullptr, 0) !=
            1 ||
        PQsetSingleRowMode(connection) != 1) {
        Drain(connection);
        ThrowPgFailure(connection, nullptr, kQueryFailed);
    }
    PgRow row;
    try {
        for (;;) {
            const Result result(PQgetResult(connection));
            if (!result) break;
            switch (PQresultStatus(result.get())) {
                case PGRES_SINGLE_TUPLE:
                    if (static_cast<std::size_t>(PQnfields(result.get())) != columns.size())
                        throw DbError(
                            "A consulta devolveu " + std::to_string(PQnfields(result.get())) +
                            " colunas; eram esperadas " + std::to_string(columns.size()) + ".");
                    row.Set(result.get());
                    visit(row);
                    break;
                case PGRES_TUPLES_OK:
                    break;
                default:
                    ThrowPgFailure(connection, result.get(), kQueryFailed);
            }
        }
    } catch (...) {
        // Asks the server to stop sending, then reads whatever was already on its way.
        if (PGcancel* cancel = PQgetCancel(connection)) {
            char error[256];
            PQcancel(cancel, error, sizeof error);
            PQfreeCancel(cancel);
        }
        Drain(connection);
        throw;
    }
}

}  // namespace db::detail

// Row readers over SQLite's C API and over SOCI.
#include "db/detail/RowReaders.h"

#include <soci/soci.h>
#include <sqlite3.h>

#include <memory>

#include "db/DbError.h"
#include "db/detail/Failure.h"
#include "db/detail/Firebird.h"
#include "db/detail/SqliteFailure.h"

namespace db::detail {
namespace {

class SqliteRow final : public RowView {
  public:
    explicit SqliteRow(sqlite3_stmt* statement) : statement_(statement) {}
    bool IsNull(std::size_t column) const override {
        return sqlite3_column_type(statement_, Index(column)) == SQLITE_NULL;
    }
    std::string_view Text(std::size_t column) const override {
        const auto* text =
            reinterpret_cast<const char*>(sqlite3_column_text(statement_, Index(column)));
        if (text == nullptr) return {};
        return {text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, Index(column)))};
    }
    std::int64_t Integer(std::size_t column) const override {
        return sqlite3_column_int64(statement_, Index(column));
    }

  private:
    static int Index(std::size_t column) { return static_cast<int>(column); }
    sqlite3_stmt* statement_;
};

constexpr std::size_t kBatch = 2000;

// One batch of fetched rows, column by column.
class SociBatch final : public RowView {
  public:
    explicit SociBatch(const std::vector<ColumnType>& columns)
        : types_(columns),
          texts_(columns.size()),
          integers_(columns.size()),
          indicators_(columns.size()) {
        Reset();
    }
    void Reset() {
        for (std::size_t c = 0; c < types_.size(); ++c) {
            if (types_[c] == ColumnType::Text)
                texts_[c].resize(kBatch);
            else
                integers_[c].resize(kBatch);
            indicators_[c].resize(kBatch);
        }
    }
    void Bind(soci::statement& st) {
        for (std::size_t c = 0; c < types_.size(); ++c) {
            if (types_[c] == ColumnType::Text)
                st.exchange(soci::into(texts_[c], indicators_[c]));
            else
                st.exchange(soci::into(integers_[c], indicators_[c]));
        }
    }
    std::size_t Rows() const {
        if (types_.empty()) return 0;
        return types_[0] == ColumnType::Text ? texts_[0].size() : integers_[0].size();
    }
    void MoveTo(std::size_t row) { row_ = row; }
    void TrimFixed(std::vector<bool> fixed) {
        fixed.resize(types_.size(), false);
        fixed_ = std::move(fixed);
    }

    bool IsNull(std::size_t column) const override {
        return indicators_[column][row_] == soci::i_null;
    }
    std::string_view Text(std::size_t column) const override {
        if (IsNull(column)) return {};
        std::string_view text = texts_[column][row_];
        if (!fixed_.empty() && fixed_[column])
            text = text.substr(0, text.find_last_not_of(' ') + 1);
        return text;
    }
    std::int64_t Integer(std::size_t column) const override {
        return IsNull(column) ? 0 : integers_[column][row_];
    }

  private:
    std::vector<ColumnType> types_;
    std::vector<std::vector<std::string>> texts_;
    std::vector<std::vector<long long>> integers_;
    std::vector<std::vector<soci::indicator>> indicators_;
    std::vector<bool> fixed_;
    std::size_t row_ = 0;
};

}  // namespace

namespace {

constexpr std::size_t kMaxCached = 64;

}  // namespace

struct SqliteStatements::Entry {
    sqlite3_stmt* statement = nullptr;
    bool inUse = false;
    ~Entry() { sqlite3_finalize(statement); }
};

// A prepared statement with its values bound; reset and unbound when the lease ends.
class SqliteStatements::Lease {
  public:
    Lease(SqliteStatements& owner, const std::string& sql, const Values& values,
          std::string_view failure)
        : handle_(owner.handle_) {
        auto found = owner.entries_.find(sql);
        if (found != owner.entries_.end() && !found->second->inUse) {
            entry_ = found->second.get();
        } else {
            auto entry = std::make_unique<Entry>();
            if (sqlite3_prepare_v2(handle_, sql.c_str(), -1, &entry->statement, nullptr) !=
                SQLITE_OK)
                ThrowSqliteFailure(handle_, failure);
            if (found == owner.entries_.end()) {
                if (owner.entries_.size() >= kMaxCached) {
                    for (auto it = owner.entries_.begin(); it != owner.entries_.end();)
                        it = it->second->inUse ? std::next(it) : owner.entries_.erase(it);
                }
                entry_ = entry.get();
                owner.entries_.emplace(sql, std::move(entry));
            } else {
                own_ = std::move(entry);  // the cached one is busy further up the stack
                entry_ = own_.get();
            }
        }
        entry_->inUse = true;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int index =
                sqlite3_bind_parameter_index(entry_->statement, (":p" + std::to_string(i)).c_str());
            if (index == 0) continue;
            const int rc =
                values[i] ? sqlite3_bind_text(entry_->statement, index, values[i]->data(),
                                              static_cast<int>(values[i]->size()), SQLITE_TRANSIENT)
                          : sqlite3_bind_null(entry_->statement, index);
            if (rc != SQLITE_OK) {
                Release();
                ThrowSqliteFailure(handle_, failure);
            }
        }
    }
    ~Lease() { Release(); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    sqlite3_stmt* Statement() const { return entry_->statement; }

  private:
    void Release() {
        if (entry_ == nullptr) return;
        sqlite3_reset(entry_->statement);
        sqlite3_clear_bindings(entry_->statement);
        entry_->inUse = false;
        entry_ = nullptr;
    }

    sqlite3* handle_;
    Entry* entry_ = nullptr;
    std::unique_ptr<Entry> own_;
};

SqliteStatements::SqliteStatements(sqlite3* handle) : handle_(handle) {}

SqliteStatements::~SqliteStatements() = default;

void SqliteStatements::Read(const std::string& sql, const Values& values,
                            const std::vector<ColumnType>& columns, const RowVisitor& visit) {
    const Lease lease(*this, sql, values, kQueryFailed);
    sqlite3_stmt* statement = lease.Statement();
    if (static_cast<std::size_t>(sqlite3_column_count(statement)) != columns.size())
        throw DbError("A consulta não devolve as colunas esperadas.");
    const SqliteRow row(statement);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) visit(row);
    if (rc != SQLITE_DONE) ThrowSqliteFailure(handle_, kQueryFailed);
}

void SqliteStatements::Execute(const std::string& sql, const Values& values) {
    const Lease lease(*this, sql, values, kCommandFailed);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(lease.Statement())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) ThrowSqliteFailure(handle_, kCommandFailed);
}

struct SociStatements::Entry {
    // `columns`: the SELECT's, or nullptr for a command.
    Entry(soci::session& session, const std::string& sql, std::size_t parameters,
          const std::vector<ColumnType>* columns)
        : statement(session),
          batch(columns != nullptr ? *columns : std::vector<ColumnType>{}),
          values(parameters),
          indicators(parameters, soci::i_ok),
          names(parameters) {
        if (columns != nullptr) batch.Bind(statement);
        for (std::size_t i = 0; i < parameters; ++i) {
            names[i] = "p" + std::to_string(i);
            statement.exchange(soci::use(values[i], indicators[i], names[i]));
        }
        statement.alloc();
        statement.prepare(sql);
        statement.define_and_bind();
    }

    // The bound vectors never grow after binding: SOCI keeps references into them.
    soci::statement statement;
    SociBatch batch;
    std::vector<std::string> values;
    std::vector<soci::indicator> indicators;
    std::vector<std::string> names;
    bool inUse = false;
};

// A cached statement (or a fresh one when the cached one is busy) with the values set.
class SociStatements::Lease {
  public:
    Lease(SociStatements& owner, const std::string& sql, const Values& values,
          const std::vector<ColumnType>* columns) {
        // The same text read with other column types is another statement.
        std::string key = sql;
        if (columns != nullptr) {
            key += '\n';
            for (const ColumnType type : *columns) key += type == ColumnType::Text ? 'T' : 'I';
        }
        auto found = owner.entries_.find(key);
        if (found != owner.entries_.end() && !found->second->inUse) {
            entry_ = found->second.get();
        } else {
            auto entry = std::make_unique<Entry>(owner.session_, sql, values.size(), columns);
            if (found == owner.entries_.end()) {
                if (owner.entries_.size() >= kMaxCached) {
                    for (auto it = owner.entries_.begin(); it != owner.entries_.end();)
                        it = it->second->inUse ? std::next(it) : owner.entries_.erase(it);
                }
                entry_ = entry.get();
                owner.entries_.emplace(std::move(key), std::move(entry));
            } else {
                own_ = std::move(entry);
                entry_ = own_.get();
            }
        }
        entry_->inUse = true;
        for (std::size_t i = 0; i < values.size(); ++i) {
            entry_->values[i] = values[i].value_or(std::string());
            entry_->indicators[i] = values[i] ? soci::i_ok : soci::i_null;
        }
    }
    ~Lease() { entry_->inUse = false; }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    Entry& Get() const { return *entry_; }

  private:
    Entry* entry_ = nullptr;
    std::unique_ptr<Entry> own_;
};

SociStatements::SociStatements(soci::session& session) : session_(session) {}

SociStatements::~SociStatements() = default;

void SociStatements::Read(const std::string& sql, const Values& values,
                          const std::vector<ColumnType>& columns, const RowVisitor& visit) {
    const Lease lease(*this, sql, values, &columns);
    Entry& entry = lease.Get();
    entry.batch.Reset();
    entry.statement.execute(false);
    while (entry.statement.fetch()) {
        for (std::size_t r = 0; r < entry.batch.Rows(); ++r) {
            entry.batch.MoveTo(r);
            visit(entry.batch);
        }
        entry.batch.Reset();
    }
}

void SociStatements::Execute(const std::string& sql, const Values& values) {
    const Lease lease(*this, sql, values, nullptr);
    lease.Get().statement.execute(true);
}

void ReadSociRows(soci::session& session, const std::string& sql, const Values& values,
                  const std::vector<ColumnType>& columns, bool trimFixed, const RowVisitor& visit) {
    std::vector<std::string> bound(values.size());
    std::vector<soci::indicator> indicators(values.size(), soci::i_ok);
    std::vector<std::string> names(values.size());
    SociBatch batch(columns);
    soci::statement st(session);
    batch.Bind(st);
    for (std::size_t i = 0; i < values.size(); ++i) {
        names[i] = "p" + std::to_string(i);
        if (values[i])
            bound[i] = *values[i];
        else
            indicators[i] = soci::i_null;
        st.exchange(soci::use(bound[i], indicators[i], names[i]));
    }
    st.alloc();
    st.prepare(sql);
    st.define_and_bind();
    st.execute(false);
    if (trimFixed) batch.TrimFixed(FirebirdFixedColumns(st));
    while (st.fetch()) {
        for (std::size_t r = 0; r < batch.Rows(); ++r) {
            batch.MoveTo(r);
            visit(batch);
        }
        batch.Reset();
    }
}

}  // namespace db::detail

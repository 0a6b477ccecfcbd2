// SQLite's PARAM as an eponymous virtual table with one hidden argument column, and the
// two-argument null-coalescing functions.
#include "db/detail/SqliteHelpers.h"

#include <sqlite3.h>

#include <memory>
#include <string>

#include "db/DbError.h"

namespace db::detail {

namespace {

constexpr int kParamColumn = 0;
constexpr int kArgColumn = 1;

struct ParamCursor {
    sqlite3_vtab_cursor base{};
    sqlite3_value* value = nullptr;
    bool eof = true;
};

int ParamConnect(sqlite3* handle, void*, int, const char* const*, sqlite3_vtab** table, char**) {
    const int rc = sqlite3_declare_vtab(handle, "CREATE TABLE x(PARAM, ARG HIDDEN)");
    if (rc != SQLITE_OK) return rc;
    auto* vtab = static_cast<sqlite3_vtab*>(sqlite3_malloc(sizeof(sqlite3_vtab)));
    if (vtab == nullptr) return SQLITE_NOMEM;
    *vtab = sqlite3_vtab{};
    *table = vtab;
    return SQLITE_OK;
}

int ParamDisconnect(sqlite3_vtab* table) {
    sqlite3_free(table);
    return SQLITE_OK;
}

// Only the equality on the hidden argument is usable; PARAM() without argument yields null.
int ParamBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    bool unusable = false;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.iColumn != kArgColumn) continue;
        if (c.usable == 0 || c.op != SQLITE_INDEX_CONSTRAINT_EQ) {
            unusable = true;
            continue;
        }
        info->aConstraintUsage[i].argvIndex = 1;
        info->aConstraintUsage[i].omit = 1;
        info->idxNum = 1;
        info->estimatedCost = 1.0;
        info->estimatedRows = 1;
        return SQLITE_OK;
    }
    if (unusable) return SQLITE_CONSTRAINT;
    info->idxNum = 0;
    info->estimatedCost = 1.0;
    info->estimatedRows = 1;
    return SQLITE_OK;
}

int ParamOpen(sqlite3_vtab*, sqlite3_vtab_cursor** cursor) {
    auto* c = static_cast<ParamCursor*>(sqlite3_malloc(sizeof(ParamCursor)));
    if (c == nullptr) return SQLITE_NOMEM;
    *c = ParamCursor{};
    *cursor = &c->base;
    return SQLITE_OK;
}

ParamCursor* AsParam(sqlite3_vtab_cursor* cursor) {
    return reinterpret_cast<ParamCursor*>(cursor);
}

int ParamClose(sqlite3_vtab_cursor* cursor) {
    ParamCursor* c = AsParam(cursor);
    sqlite3_value_free(c->value);
    sqlite3_free(c);
    return SQLITE_OK;
}

int ParamFilter(sqlite3_vtab_cursor* cursor, int idxNum, const char*, int argc,
                sqlite3_value** argv) {
    ParamCursor* c = AsParam(cursor);
    sqlite3_value_free(c->value);
    c->value = nullptr;
    if (idxNum == 1 && argc >= 1) {
        c->value = sqlite3_value_dup(argv[0]);
        if (c->value == nullptr) return SQLITE_NOMEM;
    }
    c->eof = false;
    return SQLITE_OK;
}

int ParamNext(sqlite3_vtab_cursor* cursor) {
    AsParam(cursor)->eof = true;
    return SQLITE_OK;
}

int ParamEof(sqlite3_vtab_cursor* cursor) {
    return AsParam(cursor)->eof ? 1 : 0;
}

int ParamColumn(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int column) {
    const ParamCursor* c = AsParam(cursor);
    if ((column == kParamColumn || column == kArgColumn) && c->value != nullptr) {
        sqlite3_result_value(context, c->value);
    } else {
        sqlite3_result_null(context);
    }
    return SQLITE_OK;
}

int ParamRowid(sqlite3_vtab_cursor*, sqlite3_int64* rowid) {
    *rowid = 1;
    return SQLITE_OK;
}

const sqlite3_module kParamModule = {
    .iVersion = 0,
    .xCreate = nullptr,  // eponymous-only: usable as PARAM(...) without CREATE VIRTUAL TABLE
    .xConnect = ParamConnect,
    .xBestIndex = ParamBestIndex,
    .xDisconnect = ParamDisconnect,
    .xDestroy = ParamDisconnect,
    .xOpen = ParamOpen,
    .xClose = ParamClose,
    .xFilter = ParamFilter,
    .xNext = ParamNext,
    .xEof = ParamEof,
    .xColumn = ParamColumn,
    .xRowid = ParamRowid,
    .xUpdate = nullptr,
    .xBegin = nullptr,
    .xSync = nullptr,
    .xCommit = nullptr,
    .xRollback = nullptr,
    .xFindFunction = nullptr,
    .xRename = nullptr,
    .xSavepoint = nullptr,
    .xRelease = nullptr,
    .xRollbackTo = nullptr,
    .xShadowName = nullptr,
};

void FirstUnlessNull(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_result_value(context, sqlite3_value_type(argv[0]) != SQLITE_NULL ? argv[0] : argv[1]);
}

void Check(sqlite3* handle, int rc, const char* what) {
    if (rc != SQLITE_OK) {
        throw DbError(std::string("Não foi possível registrar ") + what +
                      " no SQLite: " + sqlite3_errmsg(handle));
    }
}

}  // namespace

void RegisterSqliteHelpers(sqlite3* handle) {
    Check(handle, sqlite3_create_module(handle, "PARAM", &kParamModule, nullptr), "PARAM");
    for (const char* name : {"NVLSTR", "NVL"}) {
        Check(handle,
              sqlite3_create_function_v2(handle, name, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                         nullptr, FirstUnlessNull, nullptr, nullptr, nullptr),
              name);
    }
}

}  // namespace db::detail

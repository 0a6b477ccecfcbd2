// Storage of balances: every statement the server runs, through db/ only, with its values
// bound. Money is kept in integer cents. Raises db::DbError.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/BalanceLayout.h"
#include "db/Connection.h"
#include "server/BalanceChanges.h"

namespace server {

// The statements a balance check and a one-row save run on the balance tables, as the store runs
// them (a test checks that each one searches an index, whatever the company's size).
// A balance's key is bound as :company, :kind, :month, :account and :owner.
inline constexpr const char* kFindBalanceSql =
    "SELECT VRIMPSALDO, TIPSALDO FROM SALDCOME WHERE CDEMPRESA = :company"
    " AND IDSALDCOME = :kind AND DTIMPSALDO = :month AND CDCONTCTBL = :account"
    " AND CDSALDCOME = :owner";
inline constexpr const char* kDeleteBalanceSql =
    "DELETE FROM SALDCOME WHERE CDEMPRESA = :company AND IDSALDCOME = :kind"
    " AND DTIMPSALDO = :month AND CDCONTCTBL = :account AND CDSALDCOME = :owner";
// The implanted total of :company, :account and :month: one row of the totals the triggers keep
// (db::kImplantedTotals), 0 when there is none.
inline constexpr const char* kImplantedTotalSql =
    "SELECT COALESCE(MAX(VRIMPTOTAL), 0) FROM SALDTOTA WHERE CDEMPRESA = :company"
    " AND CDCONTCTBL = :account AND DTIMPSALDO = :month";
inline constexpr const char* kAccountExistsSql =
    "SELECT COUNT(*) FROM CONTCTBL WHERE CDCONTCTBL = :account";
// Takes :owner.
std::string OwnerExistsSql(core::BalanceKind kind);
// Whether a balance is stored under the key, whether the account exists and whether the owner
// of the kind exists, in one row.
std::string NewKeySql(core::BalanceKind kind, const db::DialectSql& sql);
// Takes :company.
std::string LockCompanySql(const db::DialectSql& sql);
// Whether the account is usable, the implanted total of the company, account and month, and
// that month's ledger balance, in one row; takes :company, :account and :month.
std::string LedgerRoomSql(const db::DialectSql& sql);

// A stored balance as read, with the names joined in; valid during the visit.
struct StoredBalance {
    std::string_view month;  // "YYYY-MM-DD"
    std::string_view account;
    std::optional<std::string_view> accountName;
    std::optional<std::string_view> ownerName;
    std::int64_t cents = 0;
    bool implanted = false;
    std::string_view owner;
    std::optional<std::string_view> registration;      // NRINSJUR
    std::optional<std::string_view> registrationType;  // IDTPIJUR, none for banks
};

class BalanceStore {
  public:
    explicit BalanceStore(db::Connection& connection) : connection_(connection) {}

    // The company's balances of the kind, ordered by month, account and owner. `visit` must not
    // use the connection (the rows may still be arriving).
    void ReadBalances(const std::string& company, core::BalanceKind kind,
                      const std::function<void(const StoredBalance&)>& visit);

    // Whether the company exists. Inside a transaction its row stays locked until the end on
    // PostgreSQL and Firebird, so that saves of one company take turns (SQLite's write lock
    // already serialises all saves); on Firebird a save that meets another's lock fails with
    // db::LockConflict and is run again.
    bool LockCompany(const std::string& company);

    struct Value {
        std::int64_t cents = 0;
        bool implanted = false;
    };
    // The value stored under the row's key, if any.
    std::optional<Value> Find(const std::string& company, core::BalanceKind kind,
                              const BalanceRow& key);
    // What a row written under a new key must pass, read in one statement.
    struct NewKey {
        bool taken = false;  // a balance is stored under it
        bool accountExists = false;
        bool ownerExists = false;
    };
    NewKey ReadNewKey(const std::string& company, core::BalanceKind kind, const BalanceRow& row);
    void Insert(const std::string& company, core::BalanceKind kind, const BalanceRow& row);
    void Delete(const std::string& company, core::BalanceKind kind, const BalanceRow& key);

    bool AccountExists(const std::string& account);
    // The supplier, client or current account the row of the kind belongs to.
    bool OwnerExists(core::BalanceKind kind, const std::string& owner);
    // What the ledger rule weighs for the company, account and month, read in one statement.
    struct LedgerRoom {
        bool usable = false;  // see AccountUsable
        std::int64_t implanted = 0;
        std::int64_t ledger = 0;
    };
    LedgerRoom ReadLedgerRoom(const std::string& company, const std::string& account,
                              const std::string& month);
    // Analytic with a commercial type: an account balances may be implanted against.
    bool AccountUsable(const std::string& account);
    // Sum of the implanted balances of the company, account and month.
    std::int64_t ImplantedTotal(const std::string& company, const std::string& account,
                                const std::string& month);
    // The ledger balance of the company, account and month; 0 when none is stored.
    std::int64_t LedgerBalance(const std::string& company, const std::string& account,
                               const std::string& month);

    bool CompanyExists(const std::string& company);

    // The company's balances (of the kind, or of every kind) summed per account and month:
    // visit(account, month "YYYY-MM-DD", implanted cents) once per pair that holds any balance,
    // implanted or not.
    void ReadImplantedTotals(
        const std::string& company, std::optional<core::BalanceKind> kind,
        const std::function<void(std::string_view, std::string_view, std::int64_t)>& visit);
    struct LedgerBalanceRow {
        std::string_view account;
        std::string_view month;  // "YYYY-MM-DD"
        std::int64_t cents = 0;
        bool usable = false;                   // analytic with a commercial type
        std::optional<std::string_view> type;  // the commercial type, "F", "C" or "B"
    };
    // Every ledger balance of the company.
    void ReadLedgerBalances(const std::string& company,
                            const std::function<void(const LedgerBalanceRow&)>& visit);
    // Every ledger account's code and name.
    void ReadAccountNames(const std::function<void(std::string_view, std::string_view)>& visit);

  private:
    std::int64_t Integer(std::string_view sql, const db::Params& params);

    db::Connection& connection_;
};

}  // namespace server

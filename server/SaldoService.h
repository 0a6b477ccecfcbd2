// The remote module "Rdq63500.rdmSaldComer": reads a company's balances of one kind as a record
// packet, applies change packets in one transaction (with their audit lines and the outcome of
// their request key), judges a ledger account's room for a new implanted balance, and reads a
// balance's history. It takes connections from the pool and runs the store and the rules on
// them.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "db/ConnectionPool.h"

namespace server {

struct ServiceOptions {
    // How long the outcome of a save sent with a request key is kept for a repeat.
    std::chrono::seconds keyLifetime = std::chrono::hours(24 * 7);
};

// Who sends a save: the request key the client chose (empty: none), the user name it reports,
// and its network address.
struct SaveOrigin {
    std::string key;
    std::string user;
    std::string peer;
};

class SaldoService {
  public:
    explicit SaldoService(db::ConnectionPool& pool, ServiceOptions options = {})
        : pool_(pool), options_(options) {}

    // The record packet (JSON text) of the company's balances of the tag's kind, ordered by
    // month, account and owner, with the account's and the owner's names joined in. Raises
    // ArgumentError for an unknown tag, db::DbError when the database fails.
    std::string GetSaldComer(const std::string& company, const std::string& tag);
    // The same appended to `out`, with `rowWritten` called after each row so that a caller can
    // send the text on while the rest is read (WriteBalancePacket).
    void GetSaldComer(const std::string& company, const std::string& tag, std::string& out,
                      const std::function<void()>& rowWritten);

    // Applies every change of the packet (JSON text) or none. Raises core::PacketError or
    // ArgumentError for a malformed packet, ConflictError when a modified or deleted row no
    // longer holds its original values, RuleError for a row of another company or kind, a
    // month that is no month's last day, a duplicate key, an unknown account or owner, or an
    // implanted total beyond the ledger balance; db::DbError when the database fails.
    // Every accepted packet leaves one audit line per changed row, in the same transaction.
    // With a request key, the outcome (stored, or refused with its message) is kept with the
    // key; the same key sent again is answered with that outcome and applies nothing, and a
    // key already used for another company or kind raises ArgumentError.
    void SetSaldComer(const std::string& company, const std::string& tag, std::string_view packet,
                      const SaveOrigin& origin = {});

    // True when the account is analytic with a commercial type and the value added to the
    // implanted balances stored for the company, account and month stays within the ledger
    // balance. A malformed month, a value no balance can hold or an unknown account give false.
    bool GetVdSaldoContCtbl(const std::string& company, const std::string& account,
                            const std::string& month, double value);

    // The tie-out of the company's implanted balances of the kind ("F", "C", "B", or "" for
    // every kind) against its ledger balances, as JSON text. Raises ArgumentError for an unknown
    // kind, RuleError for an unknown company, db::DbError when the database fails.
    std::string GetConfContabil(const std::string& company, const std::string& kindCode);

    // Imports a balance file (its bytes in base64) of the kind ("F", "C" or "B") into the
    // company, or only checks it when `dryRun`; the report as JSON text (see
    // ImportReportToJson). Raises ArgumentError for an unknown kind, text that is not base64 or
    // a file refused whole, RuleError for an unknown company, db::DbError when the database
    // fails; nothing is written unless every line passes. A written import is audited with
    // the origin's user and address.
    std::string ImportSaldComer(const std::string& company, const std::string& kindCode,
                                std::string_view base64, bool dryRun,
                                const SaveOrigin& origin = {});
    // The record packet of the changes the audit trail holds for the balance of the company
    // and kind under this key (month as "YYYY-MM-DD"), oldest first: when (UTC), who, from
    // where, the change, and the value and implanted flag before and after.
    std::string GetHistSaldComer(const std::string& company, const std::string& tag,
                                 const std::string& month, const std::string& account,
                                 const std::string& owner);

  private:
    // Forgets expired request keys, at most once an hour; a failure waits for the next time.
    void ForgetOldKeys(db::Connection& connection);

    db::ConnectionPool& pool_;
    const ServiceOptions options_;
    std::atomic<std::int64_t> nextForget_{0};
};

}  // namespace server

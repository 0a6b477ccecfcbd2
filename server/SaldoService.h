// The remote module "Rdq63500.rdmSaldComer": reads a company's balances of one kind as a record
// packet, applies change packets in one transaction (with their audit lines and the outcome of
// their request key), judges a ledger account's room for a new implanted balance, ties out and
// imports balances, and reads a balance's history. Its methods take decoded arguments (see
// Methods.cpp for the wire's view); each runs on a pooled connection, and a connection that
// failed is replaced rather than reused.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/BalanceLayout.h"
#include "db/ConnectionPool.h"
#include "server/Caller.h"
#include "server/RequestKeyPolicy.h"

namespace server {

struct ServiceOptions {
    // How long the outcome of a save sent with a request key is kept for a repeat.
    std::chrono::seconds keyLifetime = std::chrono::hours(24 * 7);
    // How long a save sent with a request key is tried again while the database is lost (a
    // failover takes a few seconds; a desktop waits 60 s for a reply).
    std::chrono::seconds settleLostSaves = std::chrono::seconds(20);
};

class SaldoService {
  public:
    explicit SaldoService(db::ConnectionPool& pool, ServiceOptions options = {})
        : pool_(pool), keys_(options.keyLifetime), settleLostSaves_(options.settleLostSaves) {}

    // The record packet (JSON text) of the company's balances of the kind, ordered by month,
    // account and owner, with the account's and the owner's names joined in. Raises
    // db::DbError when the database fails.
    std::string GetSaldComer(const std::string& company, core::BalanceKind kind);
    // The same appended to `out`, with `rowWritten` called after each row so that a caller can
    // send the text on while the rest is read (WriteBalancePacket).
    void GetSaldComer(const std::string& company, core::BalanceKind kind, std::string& out,
                      const std::function<void()>& rowWritten);

    // Applies every change of the packet (JSON text) or none. Raises core::PacketError or
    // ArgumentError for a malformed packet, ConflictError when a modified or deleted row no
    // longer holds its original values, RuleError for an unknown company, a row of another
    // company or kind, a month that is no month's last day, a duplicate key, an unknown
    // account or owner, or an implanted total beyond the ledger balance; db::DbError when the
    // database fails. Every accepted packet leaves one audit line per changed row, naming the
    // caller, in the same transaction. With a request key (checked by CheckRequestKey; empty:
    // none) the outcome is kept with the key (RequestKeyPolicy).
    void SetSaldComer(const Caller& caller, const std::string& company, core::BalanceKind kind,
                      std::string_view packet, const std::string& key = {});

    // True when the account is analytic with a commercial type and the value added to the
    // implanted balances stored for the company, account and month stays within the ledger
    // balance. A malformed month, a value no balance can hold or an unknown account give false.
    bool GetVdSaldoContCtbl(const std::string& company, const std::string& account,
                            const std::string& month, double value);
    // The figures that check weighs for the company, account and month, as JSON text: whether
    // balances may be implanted against the account, its ledger balance, the total implanted
    // and the room left (ledger minus implanted), all in cents. A malformed month is refused
    // (ArgumentError).
    std::string GetSaldoContCtbl(const std::string& company, const std::string& account,
                                 const std::string& month);

    // The tie-out of the company's implanted balances of the kind (nullopt: every kind)
    // against its ledger balances, as JSON text. Raises RuleError for an unknown company,
    // db::DbError when the database fails.
    std::string GetConfContabil(const std::string& company,
                                const std::optional<core::BalanceKind>& kind);

    // Imports a balance file (its bytes in base64) of the kind into the company, or only
    // checks it when `dryRun`; the report as JSON text (see ImportReportToJson). Raises
    // ArgumentError for text that is not base64 or a file refused whole, RuleError for an
    // unknown company, db::DbError when the database fails; nothing is written unless every
    // line passes. A written import is audited with the caller.
    std::string ImportSaldComer(const Caller& caller, const std::string& company,
                                core::BalanceKind kind, std::string_view base64, bool dryRun);
    // The record packet of the changes the audit trail holds for the balance of the company
    // and kind under this key (month as "YYYY-MM-DD"), oldest first: when (UTC), who, from
    // where, the change, and the value and implanted flag before and after.
    std::string GetHistSaldComer(const std::string& company, core::BalanceKind kind,
                                 const std::string& month, const std::string& account,
                                 const std::string& owner);

  private:
    db::ConnectionPool& pool_;
    RequestKeyPolicy keys_;
    const std::chrono::seconds settleLostSaves_;
};

}  // namespace server

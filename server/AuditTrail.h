// The audit trail of the balances: one line per changed row of every accepted change packet,
// appended in the packet's own transaction, with who sent it, from where and when, and the
// row's values before and after. Lines are only ever added; nothing here updates or deletes
// them. Raises db::DbError.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/BalanceLayout.h"
#include "db/Connection.h"
#include "server/BalanceChanges.h"

namespace server {

// Who sent a packet, from where and when.
struct AuditOrigin {
    std::string time;  // UTC, "YYYY-MM-DDTHH:MM:SSZ"
    std::string peer;  // the client's network address
    std::string user;  // the user name the client reports; may be empty
    std::string key;   // the save's request key; may be empty
};

// One side of a changed row.
struct AuditValues {
    std::string month;  // "YYYY-MM-DD"
    std::string account;
    std::string owner;
    std::int64_t cents = 0;
    bool implanted = false;
};

struct AuditRecord {
    std::int64_t sequence = 0;  // the packet's number, in the order accepted
    int item = 0;               // the row's place in the packet, from 1
    AuditOrigin origin;
    std::string company;
    std::string kindCode;  // "F", "C" or "B"
    char change = 'I';     // I inserted, M modified, D deleted
    std::optional<AuditValues> before;
    std::optional<AuditValues> after;
};

struct AuditFilter {
    std::optional<std::string> company;
    std::optional<std::string> since;  // "YYYY-MM-DD" (UTC), inclusive
};

class AuditTrail {
  public:
    explicit AuditTrail(db::Connection& connection) : connection_(connection) {}

    // A new packet number, greater than every one stored.
    std::int64_t NextSequence();
    // Appends one line per change of the packet, all under `sequence`.
    void Append(std::int64_t sequence, const AuditOrigin& origin, const BalanceChanges& changes);

    // The lines the filter lets through, in the order they were accepted.
    void Read(const AuditFilter& filter, const std::function<void(const AuditRecord&)>& visit);
    // The lines that touched the row of the company and kind under this key (month as
    // "YYYY-MM-DD"), before or after the change, oldest first.
    void History(const std::string& company, core::BalanceKind kind, const std::string& month,
                 const std::string& account, const std::string& owner,
                 const std::function<void(const AuditRecord&)>& visit);

  private:
    void Select(const std::string& where, const db::Params& params,
                const std::function<void(const AuditRecord&)>& visit);

    db::Connection& connection_;
};

// The current time, UTC, as the audit trail records it.
std::string UtcNow();
// A record's change as a user reads it: "Inclusão", "Alteração" or "Exclusão".
const char* ChangeName(char change);

}  // namespace server

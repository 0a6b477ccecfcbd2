// A change packet decoded for storage: the stored part of each row (month, account, owner,
// cents, implanted), compact, without the names the screen shows with it. Company and kind are
// the call's: every row was checked to carry them.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "core/BalanceLayout.h"
#include "core/Packet.h"

namespace server {

struct BalanceRow {
    std::string month;  // "YYYY-MM-DD", a month's last day
    std::string account;
    std::string owner;
    std::int64_t cents = 0;
    bool implanted = true;  // TIPSALDO "Sim"

    bool SameKey(const BalanceRow& other) const {
        return month == other.month && account == other.account && owner == other.owner;
    }
    // "12/2024, conta 2.1.1.01.0001, código 000001": names the row in messages.
    std::string Describe() const;
};

struct BalanceChanges {
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    struct Change {
        core::ChangeKind kind = core::ChangeKind::Inserted;
        std::uint32_t old = kNone;  // index into rows
        std::uint32_t now = kNone;
    };

    std::string company;
    core::BalanceKind kind = core::BalanceKind::Suppliers;
    std::deque<BalanceRow> rows;
    std::deque<Change> changes;

    const BalanceRow* Old(const Change& c) const { return c.old == kNone ? nullptr : &rows[c.old]; }
    const BalanceRow* Now(const Change& c) const { return c.now == kNone ? nullptr : &rows[c.now]; }
};

// Reads a change packet of the kind (JSON text, already checked by the strict reader or not)
// for the company. Raises core::PacketError for a malformed packet, ArgumentError for a value
// no balance can hold, RuleError for a row of another company or kind, a blank required value
// or a month that is no month's last day.
BalanceChanges ReadBalanceChanges(std::string_view packet, core::BalanceKind kind,
                                  const std::string& company);

}  // namespace server

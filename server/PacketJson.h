// The server's side of the packet format: writing record packets as JSON text, and reading a
// change packet into the balance rows it inserts, modifies and deletes, checked field by field.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "server/BalanceKinds.h"

namespace server {

// The stored part of a balance row; the names shown with it are joined in when read.
struct BalanceRow {
    std::string month;  // "YYYY-MM-DD", a month's last day
    std::string account;
    std::string company;
    std::string kind;  // "F", "C", "B"
    std::string owner;
    std::int64_t cents = 0;
    bool implanted = true;  // TIPSALDO "Sim"

    bool SameKey(const BalanceRow& other) const;
    // "12/2024, conta 2.1.1.01.0001, código 000001": names the row in messages.
    std::string Describe() const;
};

struct BalanceChange {
    enum class Kind { Inserted, Modified, Deleted } kind = Kind::Inserted;
    std::optional<BalanceRow> old;
    std::optional<BalanceRow> now;
};

// Reads a change packet of the kind. Every row must belong to `company` and to the kind and be
// dated on a month's last day. Throws rpc::RpcError naming the change and the field at fault.
std::vector<BalanceChange> ReadChangePacket(const nlohmann::json& packet, const BalanceKind& kind,
                                            const std::string& company);

void AppendJsonString(std::string& out, std::string_view text);
// The shortest text that reads back as the same double.
void AppendJsonNumber(std::string& out, double value);
// {"name":...,"type":...,"size":...} for each field, as a JSON array.
void AppendFieldList(std::string& out, const std::vector<PacketField>& fields);

// Exact cents of a wire value, rounded once; nullopt when it is not finite or beyond 15 digits.
std::optional<std::int64_t> CentsOf(double value);
// "MM/YYYY" of a stored "YYYY-MM-DD".
std::string MonthText(std::string_view isoDate);

}  // namespace server

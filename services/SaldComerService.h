// Names of the application server's remote module and of the methods the balance
// screen calls on it, with the balance kind tags they take (the module's name and the tags
// are core's, shared with the server).
#pragma once

#include <string_view>

#include "core/BalanceLayout.h"

namespace services {

// The remote data module that owns the commercial balances.
inline constexpr std::string_view kSaldComerServer = core::kSaldComerServer;

// GetSaldComer(company, kind tag) -> record packet of that company's balances of the kind.
inline constexpr std::string_view kGetSaldComer = "GetSaldComer";
// SetSaldComer(company, kind tag, change packet[, request key[, user name]]) -> nothing;
// success means stored. The same request key sent again gets the first outcome, applied once.
inline constexpr std::string_view kSetSaldComer = "SetSaldComer";
// GetVdSaldoContCtbl(company, account, "MM/YYYY", value) -> true when the account allows it.
inline constexpr std::string_view kGetVdSaldoContCtbl = "GetVdSaldoContCtbl";
// GetSaldoContCtbl(company, account, "MM/YYYY") -> what the balance check weighs, in cents:
// {"utilizavel", "saldoContabil", "implantado", "disponivel"}; shown beside a refusal.
inline constexpr std::string_view kGetSaldoContCtbl = "GetSaldoContCtbl";
// GetConfContabil(company, kind code "F", "C", "B" or "" for every kind) -> the tie-out of the
// implanted balances against the ledger (see core/TieOut.h for its form). Reads only.
inline constexpr std::string_view kGetConfContabil = "GetConfContabil";
// ImportSaldComer(company, kind code "F", "C" or "B", file text, dry run) -> the import's
// report (see server/Import.h); every line or none is written, nothing on a dry run.
inline constexpr std::string_view kImportSaldComer = "ImportSaldComer";
// GetHistSaldComer(company, kind tag, month "YYYY-MM-DD", ledger account, owner code) -> record
// packet of the balance's changes (core::HistoryFields), oldest first.
inline constexpr std::string_view kGetHistSaldComer = "GetHistSaldComer";

// Kind tags as the server knows them: suppliers travel with the empty tag.
inline constexpr std::string_view kTagSuppliers = core::kTagSuppliers;
inline constexpr std::string_view kTagClients = core::kTagClients;
inline constexpr std::string_view kTagBanks = core::kTagBanks;

}  // namespace services

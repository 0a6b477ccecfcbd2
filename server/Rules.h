// The business rules of balances: the ledger balance rule, and applying a change packet with
// its conflict and reference checks. They run on a store inside the caller's transaction.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "server/BalanceChanges.h"
#include "server/BalanceStore.h"

namespace server {

// The refusal of an implanted total beyond the ledger balance.
inline constexpr const char* kImplantRefusal =
    "Não é possível implantar saldo! Saldo insuficiente na Conta Contábil.";

// Whether an implanted total fits a ledger balance, credit positive: 0 <= T <= L when L >= 0,
// L <= T <= 0 when L < 0.
bool WithinLedger(std::int64_t total, std::int64_t ledger);

// True when the account is analytic with a commercial type and `added` cents, with the
// implanted balances the store holds for the company, account and month, stay within the
// month's ledger balance (none stored counts as 0).
bool AccountAllows(BalanceStore& store, const std::string& company, const std::string& account,
                   const std::string& month, std::int64_t added);

// Why a row written under a new key cannot name its account and owner: "Conta contábil não
// cadastrada." or the kind's "... não cadastrado(a)."; nullopt when both exist.
std::optional<std::string> ReferenceRefusal(BalanceStore& store, core::BalanceKind kind,
                                            const BalanceRow& row);

// Applies every change in order: a modified or deleted row must still hold its original value
// and implanted flag (ConflictError otherwise), a row written under a new key must not exist
// yet and must name an existing account and owner (RuleError), and afterwards every account
// and month that received an implanted row must pass the ledger rule on the totals the
// transaction sees (RuleError). The caller has locked the company (BalanceStore::LockCompany),
// and commits, or rolls back on any error.
void ApplyChanges(BalanceStore& store, const BalanceChanges& changes);

}  // namespace server

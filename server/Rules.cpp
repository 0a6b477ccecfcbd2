// Conflicts on original values, references, duplicates and the ledger rule.
#include "server/Rules.h"

#include <set>
#include <utility>

#include "core/Calendar.h"
#include "server/Errors.h"

namespace server {
namespace {

// The row as stored now must equal the original values the client holds.
void CheckUnchanged(BalanceStore& store, const BalanceChanges& changes, const BalanceRow& old,
                    std::size_t index) {
    const auto stored = store.Find(changes.company, changes.kind, old);
    const std::string row = "alteração " + std::to_string(index + 1) + " (" + old.Describe() + ")";
    if (!stored)
        throw ConflictError("O saldo da " + row +
                            " foi excluído por outro usuário. Atualize os saldos e tente "
                            "novamente.");
    if (stored->cents != old.cents || stored->implanted != old.implanted)
        throw ConflictError("O saldo da " + row +
                            " foi alterado por outro usuário. Atualize os saldos e tente "
                            "novamente.");
}

std::optional<std::string> Refusal(core::BalanceKind kind, bool accountExists, bool ownerExists) {
    if (!accountExists) return "Conta contábil não cadastrada.";
    if (ownerExists) return std::nullopt;
    switch (kind) {
        case core::BalanceKind::Suppliers:
            return "Fornecedor não cadastrado.";
        case core::BalanceKind::Clients:
            return "Cliente não cadastrado.";
        case core::BalanceKind::Banks:
            return "Conta corrente não cadastrada.";
    }
    return std::nullopt;
}

// A row written under a new key: no balance may be stored under it yet, and its account and
// owner must exist; all three read in one statement.
void CheckNewKey(BalanceStore& store, const BalanceChanges& changes, const BalanceRow& row,
                 std::size_t index) {
    const BalanceStore::NewKey key = store.ReadNewKey(changes.company, changes.kind, row);
    if (key.taken) throw RuleError("Conta comercial já cadastrada.");
    if (const auto refusal = Refusal(changes.kind, key.accountExists, key.ownerExists))
        throw RuleError("Alteração " + std::to_string(index + 1) + " (" + row.Describe() +
                        "): " + *refusal);
}

}  // namespace

std::optional<std::string> ReferenceRefusal(BalanceStore& store, core::BalanceKind kind,
                                            const BalanceRow& row) {
    if (!store.AccountExists(row.account)) return Refusal(kind, false, false);
    return Refusal(kind, true, store.OwnerExists(kind, row.owner));
}

bool WithinLedger(std::int64_t total, std::int64_t ledger) {
    return ledger >= 0 ? (total >= 0 && total <= ledger) : (total <= 0 && total >= ledger);
}

bool AccountAllows(BalanceStore& store, const std::string& company, const std::string& account,
                   const std::string& month, std::int64_t added) {
    const BalanceStore::LedgerRoom room = store.ReadLedgerRoom(company, account, month);
    return room.usable && WithinLedger(room.implanted + added, room.ledger);
}

void ApplyChanges(BalanceStore& store, const BalanceChanges& changes) {
    std::set<std::pair<std::string, std::string>> checks;  // (account, month)
    std::size_t index = 0;
    for (const BalanceChanges::Change& c : changes.changes) {
        const BalanceRow* old = changes.Old(c);
        const BalanceRow* now = changes.Now(c);
        if (old != nullptr) CheckUnchanged(store, changes, *old, index);
        if (now != nullptr && (old == nullptr || !old->SameKey(*now)))
            CheckNewKey(store, changes, *now, index);
        if (old != nullptr) store.Delete(changes.company, changes.kind, *old);
        if (now != nullptr) {
            store.Insert(changes.company, changes.kind, *now);
            if (now->implanted) checks.emplace(now->account, now->month);
        }
        ++index;
    }
    for (const auto& [account, month] : checks) {
        if (!AccountAllows(store, changes.company, account, month, 0))
            throw RuleError(std::string(kImplantRefusal) + " (conta " + account + ", " +
                            core::MonthTextOfIso(month) + ")");
    }
}

}  // namespace server

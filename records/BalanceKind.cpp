// The balance kind table.
#include "records/BalanceKind.h"

#include <array>

#include "services/SaldComerService.h"

namespace records {

namespace {
const std::array<KindInfo, 3> kKinds{{
    {BalanceKind::Suppliers, "cdsSaldForn", services::kTagSuppliers, "F", "qryFornecedor",
     "Nome Fornecedor"},
    {BalanceKind::Clients, "cdsSaldClie", services::kTagClients, "C", "qryCliente", "Nome Cliente"},
    {BalanceKind::Banks, "cdsSaldBanco", services::kTagBanks, "B", "qryBanco", "Nome Banco"},
}};
}  // namespace

const KindInfo& InfoOf(BalanceKind kind) {
    return kKinds.at(static_cast<std::size_t>(kind));
}

std::optional<BalanceKind> KindOfIndex(int itemIndex) {
    if (itemIndex < 0 || itemIndex > 2) return std::nullopt;
    return static_cast<BalanceKind>(itemIndex);
}

}  // namespace records

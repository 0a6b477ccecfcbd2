// The balance kind table.
#include "records/BalanceKind.h"

#include <array>

namespace records {

namespace {
const std::array<KindInfo, 3> kKinds{{
    {BalanceKind::Suppliers, "cdsSaldForn", core::KindInfo(BalanceKind::Suppliers).tag,
     core::KindInfo(BalanceKind::Suppliers).code, "qryFornecedor", "Nome Fornecedor"},
    {BalanceKind::Clients, "cdsSaldClie", core::KindInfo(BalanceKind::Clients).tag,
     core::KindInfo(BalanceKind::Clients).code, "qryCliente", "Nome Cliente"},
    {BalanceKind::Banks, "cdsSaldBanco", core::KindInfo(BalanceKind::Banks).tag,
     core::KindInfo(BalanceKind::Banks).code, "qryBanco", "Nome Banco"},
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

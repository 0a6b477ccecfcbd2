// The balance kind table.
#include "records/BalanceKind.h"

#include <array>

namespace records {

namespace {

using platform::DataSetState;

const std::array<KindInfo, 3> kKinds{{
    {BalanceKind::Suppliers,
     "cdsSaldForn",
     core::KindInfo(BalanceKind::Suppliers).tag,
     core::KindInfo(BalanceKind::Suppliers).code,
     "qryFornecedor",
     "Nome Fornecedor",
     "Nome_Fornec_Empty",
     {"Forn", "Fornecedor_Empty", "CDFORNECED", "NRINSJURFORN", std::nullopt, "CDFORNECED",
      "NMRAZSOCFORN"},
     DataSetState::Insert,
     PlainValue::Grouped},
    {BalanceKind::Clients,
     "cdsSaldClie",
     core::KindInfo(BalanceKind::Clients).tag,
     core::KindInfo(BalanceKind::Clients).code,
     "qryCliente",
     "Nome Cliente",
     "Nome_Cliente_Empty",
     {"Cliente", "Cliente_Empty", "CDCLIENTE", "NRINSJURCLIE", std::nullopt, "CDCLIENTE",
      "NMRAZSOCCLIE"},
     DataSetState::Edit,
     PlainValue::General},
    {BalanceKind::Banks,
     "cdsSaldBanco",
     core::KindInfo(BalanceKind::Banks).tag,
     core::KindInfo(BalanceKind::Banks).code,
     "qryBanco",
     "Nome Banco",
     "Nome_Banco_Empty",
     {"Banco", "Banco_Empty", "P_CDREDUCONT", "P_TCDREDUCONT", "T", "CDREDUCONT", "NMBANCO"},
     DataSetState::Edit,
     PlainValue::General},
}};

}  // namespace

const KindInfo& InfoOf(BalanceKind kind) {
    return kKinds.at(static_cast<std::size_t>(kind));
}

const std::array<KindInfo, 3>& Kinds() {
    return kKinds;
}

std::optional<BalanceKind> KindOfIndex(int itemIndex) {
    if (itemIndex < 0 || itemIndex >= static_cast<int>(kKinds.size())) return std::nullopt;
    return static_cast<BalanceKind>(itemIndex);
}

}  // namespace records

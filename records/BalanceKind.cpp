// The balance kind table.
#include "records/BalanceKind.h"

#include "services/SaldComerService.h"

namespace records {

namespace {

using platform::DataSetState;

const std::array<KindInfo, 3> kKinds{{
    {BalanceKind::Suppliers,
     "cdsSaldForn",
     services::kTagSuppliers,
     "F",
     "qryFornecedor",
     "Nome Fornecedor",
     "Nome_Fornec_Empty",
     {"Forn", "Fornecedor_Empty", "CDFORNECED", "NRINSJURFORN", std::nullopt, "CDFORNECED",
      "NMRAZSOCFORN"},
     DataSetState::Insert,
     PlainValue::Grouped},
    {BalanceKind::Clients,
     "cdsSaldClie",
     services::kTagClients,
     "C",
     "qryCliente",
     "Nome Cliente",
     "Nome_Cliente_Empty",
     {"Cliente", "Cliente_Empty", "CDCLIENTE", "NRINSJURCLIE", std::nullopt, "CDCLIENTE",
      "NMRAZSOCCLIE"},
     DataSetState::Edit,
     PlainValue::General},
    {BalanceKind::Banks,
     "cdsSaldBanco",
     services::kTagBanks,
     "B",
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

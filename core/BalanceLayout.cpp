// The kind table and the field lists. The bank rows differ: a shorter owner name and
// registration number (the bank's code), and no registration type.
#include "core/BalanceLayout.h"

#include <array>

namespace core {
namespace {

std::vector<FieldDef> FieldsOf(bool bank) {
    std::vector<FieldDef> fields = {
        {"DTIMPSALDO", FieldType::DateTime, 0},
        {"CDCONTCTBL", FieldType::String, 16},
        {"NMCONTCTBL", FieldType::String, 40},
        {"NMRAZAOSOCIAL", FieldType::String, bank ? 30 : 50},
        {"VRIMPSALDO", FieldType::Double, 0},
        {"TIPSALDO", FieldType::FixedString, 3},
        {"CDEMPRESA", FieldType::String, 2},
        {"IDSALDCOME", FieldType::String, 1},
        {"CDSALDCOME", FieldType::String, 21},
        {"NRINSJUR", FieldType::String, bank ? 3 : 20},
    };
    if (!bank) fields.push_back({"IDTPIJUR", FieldType::String, 1});
    return fields;
}

constexpr std::array<BalanceKindInfo, 3> kKinds{{
    {BalanceKind::Suppliers, kTagSuppliers, "F", "Código do fornecedor"},
    {BalanceKind::Clients, kTagClients, "C", "Código do cliente"},
    {BalanceKind::Banks, kTagBanks, "B", "Código da conta corrente"},
}};

}  // namespace

const BalanceKindInfo& KindInfo(BalanceKind kind) {
    return kKinds.at(static_cast<std::size_t>(kind));
}

std::optional<BalanceKind> KindOfTag(std::string_view tag) {
    for (const BalanceKindInfo& k : kKinds)
        if (k.tag == tag) return k.kind;
    return std::nullopt;
}

const std::vector<FieldDef>& BalanceFields(BalanceKind kind) {
    static const std::vector<FieldDef> kCommercial = FieldsOf(false);
    static const std::vector<FieldDef> kBank = FieldsOf(true);
    return kind == BalanceKind::Banks ? kBank : kCommercial;
}

const std::vector<FieldDef>& HistoryFields() {
    static const std::vector<FieldDef> kFields = {
        {"DTREGISTRO", FieldType::String, 20}, {"NMUSUARIO", FieldType::String, 64},
        {"DSENDERECO", FieldType::String, 64}, {"DSALTERACAO", FieldType::String, 10},
        {"VRANTES", FieldType::Double, 0},     {"TIPANTES", FieldType::FixedString, 3},
        {"VRDEPOIS", FieldType::Double, 0},    {"TIPDEPOIS", FieldType::FixedString, 3},
    };
    return kFields;
}

}  // namespace core

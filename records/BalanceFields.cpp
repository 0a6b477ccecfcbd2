// The balance row layout. The bank set differs: a shorter owner name and registration
// number, no registration type, and no month display format.
#include "records/BalanceFields.h"

#include "platform/data/ClientDataSet.h"

namespace records {

std::vector<BalanceField> BalanceFieldList(BalanceKind kind) {
    const bool bank = kind == BalanceKind::Banks;
    const int ownerSize = bank ? 30 : 50;
    std::vector<BalanceField> fields{
        {"DTIMPSALDO", platform::FieldType::DateTime, 0, "Data", true, 0,
         bank ? "" : kMonthDisplayFormat, kMonthEditMask},
        {"CDCONTCTBL", platform::FieldType::String, 16, "Conta Contábil", true, 16, "", ""},
        {"NMCONTCTBL", platform::FieldType::String, 40, "Nome Conta Contábil", true, 40, "", ""},
        {"NMRAZAOSOCIAL", platform::FieldType::String, ownerSize,
         std::string(InfoOf(kind).ownerLabel), true, ownerSize, "", ""},
        {"VRIMPSALDO", platform::FieldType::Double, 0, "Valor", true, 15, "", ""},
        {"TIPSALDO", platform::FieldType::FixedString, 3, "Saldo Implantado", true, 3, "", ""},
        {"CDEMPRESA", platform::FieldType::String, 2, "", false, 2, "", ""},
        {"IDSALDCOME", platform::FieldType::String, 1, "", false, 1, "", ""},
        {"CDSALDCOME", platform::FieldType::String, 21, "", false, 21, "", ""},
        {"NRINSJUR", platform::FieldType::String, bank ? 3 : 20, "", false, bank ? 3 : 20, "", ""},
    };
    if (!bank) fields.push_back({"IDTPIJUR", platform::FieldType::String, 1, "", false, 1, "", ""});
    return fields;
}

void AddBalanceFields(platform::ClientDataSet& set, BalanceKind kind) {
    for (const auto& layout : BalanceFieldList(kind)) {
        auto& field = set.AddField(layout.name, layout.type, layout.size);
        if (!layout.label.empty()) field.SetDisplayLabel(layout.label);
        field.SetVisible(layout.visible);
        if (layout.displayWidth > 0) field.SetDisplayWidth(layout.displayWidth);
        field.SetDisplayFormat(layout.displayFormat);
        if (!layout.editMask.empty()) field.SetEditMask(layout.editMask);
    }
}

}  // namespace records

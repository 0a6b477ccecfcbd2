// The balance row layout. The bank set differs: a shorter owner name and registration
// number, no registration type, and no month display format.
#include "records/BalanceFields.h"

namespace records {

std::vector<BalanceField> BalanceFieldList(BalanceKind kind) {
    const bool bank = kind == BalanceKind::Banks;
    const int ownerSize = bank ? 30 : 50;
    std::vector<BalanceField> fields{
        {"DTIMPSALDO", FieldKind::DateTime, 0, "Data", true, 0, bank ? "" : kMonthDisplayFormat,
         kMonthEditMask},
        {"CDCONTCTBL", FieldKind::String, 16, "Conta Contábil", true, 16, "", ""},
        {"NMCONTCTBL", FieldKind::String, 40, "Nome Conta Contábil", true, 40, "", ""},
        {"NMRAZAOSOCIAL", FieldKind::String, ownerSize, std::string(InfoOf(kind).ownerLabel), true,
         ownerSize, "", ""},
        {"VRIMPSALDO", FieldKind::Double, 0, "Valor", true, 15, "", ""},
        {"TIPSALDO", FieldKind::FixedString, 3, "Saldo Implantado", true, 3, "", ""},
        {"CDEMPRESA", FieldKind::String, 2, "", false, 2, "", ""},
        {"IDSALDCOME", FieldKind::String, 1, "", false, 1, "", ""},
        {"CDSALDCOME", FieldKind::String, 21, "", false, 21, "", ""},
        {"NRINSJUR", FieldKind::String, bank ? 3 : 20, "", false, bank ? 3 : 20, "", ""},
    };
    if (!bank) fields.push_back({"IDTPIJUR", FieldKind::String, 1, "", false, 1, "", ""});
    return fields;
}

}  // namespace records

// The balance row layout: the packet fields of the kind, dressed for the screen. The bank set
// differs beyond the packet: no month display format.
#include "records/BalanceFields.h"

#include <map>

#include "platform/data/ClientDataSet.h"

namespace records {
namespace {

struct Dress {
    const char* label;
    bool visible;
    int displayWidth;  // 0: the field's size
};

}  // namespace

std::vector<BalanceField> BalanceFieldList(BalanceKind kind) {
    const bool bank = kind == BalanceKind::Banks;
    const std::map<std::string, Dress, std::less<>> dress = {
        {"DTIMPSALDO", {"Data", true, 0}},
        {"CDCONTCTBL", {"Conta Contábil", true, 0}},
        {"NMCONTCTBL", {"Nome Conta Contábil", true, 0}},
        {"NMRAZAOSOCIAL", {"", true, 0}},
        {"VRIMPSALDO", {"Valor", true, 15}},
        {"TIPSALDO", {"Saldo Implantado", true, 0}},
    };
    std::vector<BalanceField> fields;
    const auto& layout = core::BalanceFields(kind);
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const core::FieldDef& def = layout[i];
        BalanceField f;
        f.name = def.Name;
        f.type = def.Type;
        f.size = def.Size;
        f.visible = false;
        f.displayWidth = def.Size;
        if (const auto found = dress.find(def.Name); found != dress.end()) {
            f.label = found->second.label;
            f.visible = found->second.visible;
            if (found->second.displayWidth > 0) f.displayWidth = found->second.displayWidth;
        }
        if (i == core::kNmRazaoSocial) f.label = std::string(InfoOf(kind).ownerLabel);
        if (i == core::kDtImpSaldo) {
            f.displayFormat = bank ? "" : kMonthDisplayFormat;
            f.editMask = kMonthEditMask;
        }
        f.money = i == core::kVrImpSaldo;
        fields.push_back(std::move(f));
    }
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
        field.SetMoney(layout.money);
    }
}

}  // namespace records

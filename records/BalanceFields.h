// The balance row's field list per kind: the packets' names, types, sizes and order
// (core/BalanceLayout.h) with what the screen adds: labels, display widths, visibility,
// formats, masks, and which field holds money. The record sets are built from it.
#pragma once

#include <string>
#include <vector>

#include "core/BalanceLayout.h"
#include "platform/data/FieldDef.h"
#include "records/BalanceKind.h"

namespace platform {
class ClientDataSet;
}

namespace records {

// Month typed as MM/YYYY; the "/" is kept in the text, "_" marks an unfilled position.
inline constexpr const char* kMonthEditMask = "!99/0000;1;_";
inline constexpr const char* kMonthDisplayFormat = "mm/yyyy";
inline constexpr const char* kValueEditFormat = "#,##0.00";

struct BalanceField {
    std::string name;
    platform::FieldType type;
    int size = 0;  // characters, for the string kinds
    std::string label;
    bool visible = true;
    int displayWidth = 0;  // 0: the field type's default
    std::string displayFormat;
    std::string editMask;
    bool money = false;  // exact to the cent on every write
};

// Field positions that the validation reads by position.
inline constexpr int kPosDTIMPSALDO = static_cast<int>(core::kDtImpSaldo);
inline constexpr int kPosCDCONTCTBL = static_cast<int>(core::kCdContCtbl);
inline constexpr int kPosVRIMPSALDO = static_cast<int>(core::kVrImpSaldo);

// The fields of a balance row of the kind, in their fixed order. CDCONTCTBL's edit mask is
// left empty: it is the client library's ledger-account picture, set when the screen is built.
std::vector<BalanceField> BalanceFieldList(BalanceKind kind);

// Adds the kind's fields, with their display properties, to a closed record set.
void AddBalanceFields(platform::ClientDataSet& set, BalanceKind kind);

}  // namespace records

// The balance row's field list per kind: order, types, sizes, labels, display widths,
// visibility, formats and masks. The record sets are built from it and a record packet
// must carry exactly this list.
#pragma once

#include <string>
#include <vector>

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
};

// Field positions that the validation reads by position.
inline constexpr int kPosDTIMPSALDO = 0;
inline constexpr int kPosCDCONTCTBL = 1;
inline constexpr int kPosVRIMPSALDO = 4;

// The fields of a balance row of the kind, in their fixed order. CDCONTCTBL's edit mask is
// left empty: it is the client library's ledger-account picture, set when the screen is built.
std::vector<BalanceField> BalanceFieldList(BalanceKind kind);

// Adds the kind's fields, with their display properties, to a closed record set.
void AddBalanceFields(platform::ClientDataSet& set, BalanceKind kind);

}  // namespace records

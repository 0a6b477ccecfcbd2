// The three balance kinds (the item index of the kind radio group) and what each selects:
// its record set, the server's kind tag, the kind code of new rows and its owner look-up.
#pragma once

#include <optional>
#include <string_view>

#include "core/BalanceLayout.h"

namespace records {

using BalanceKind = core::BalanceKind;

struct KindInfo {
    BalanceKind kind;
    std::string_view recordSet;   // member name of the kind's record set
    std::string_view serverTag;   // kind tag of GetSaldComer / SetSaldComer
    std::string_view kindCode;    // IDSALDCOME of new rows
    std::string_view ownerQuery;  // member name of the owner look-up query
    std::string_view ownerLabel;  // label of NMRAZAOSOCIAL
};

const KindInfo& InfoOf(BalanceKind kind);

// The kind an item index selects; none for an index outside 0..2.
std::optional<BalanceKind> KindOfIndex(int itemIndex);

}  // namespace records

// The three balance kinds (the item index of the kind radio group) and what each selects:
// its record set, the server's kind tag, the kind code of new rows, its owner look-up, its
// messages and how its values show while a row is entered.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "platform/data/ClientDataSet.h"

namespace records {

enum class BalanceKind { Suppliers = 0, Clients = 1, Banks = 2 };

// The owner list of a kind (suppliers, clients or bank current accounts) and what a pick
// copies into the balance row.
struct OwnerLookUp {
    std::string_view titleKey;                    // message key of the list's title
    std::string_view emptyKey;                    // message key shown when the list is empty
    std::string_view codeParam;                   // cleared before every look-up
    std::string_view filterParam;                 // set to filterValue before every look-up
    std::optional<std::string_view> filterValue;  // none: cleared (matches every row)
    std::string_view codeField;                   // list field copied into CDSALDCOME
    std::string_view nameField;                   // list field copied into NMRAZAOSOCIAL
};

// How a value shows without its CR/DB mark: grouped with two decimals, or as its general text.
enum class PlainValue { Grouped, General };

struct KindInfo {
    BalanceKind kind;
    std::string_view recordSet;          // member name of the kind's record set
    std::string_view serverTag;          // kind tag of GetSaldComer / SetSaldComer
    std::string_view kindCode;           // IDSALDCOME of new rows
    std::string_view ownerQuery;         // member name of the owner look-up query
    std::string_view ownerLabel;         // label of NMRAZAOSOCIAL
    std::string_view ownerNameEmptyKey;  // message key of a blank NMRAZAOSOCIAL at post
    OwnerLookUp owner;
    // While the kind's set is in this state its values show plain, without the mark.
    platform::DataSetState plainValueState;
    PlainValue plainValue;
};

const KindInfo& InfoOf(BalanceKind kind);

// Every kind, in item-index order.
const std::array<KindInfo, 3>& Kinds();

// The kind an item index selects; none for an index outside 0..2.
std::optional<BalanceKind> KindOfIndex(int itemIndex);

}  // namespace records

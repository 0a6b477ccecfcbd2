// One balance kind's members on the screen, as the handler bodies that serve every kind reach
// them: the kind's row of the kind table, its record set and fields, and its owner look-up.
#pragma once

#include "library/TADOIBQuery.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"
#include "records/BalanceKind.h"

namespace screen {

struct KindMembers {
    const records::KindInfo* info = nullptr;
    platform::ClientDataSet* set = nullptr;
    platform::Field* DTIMPSALDO = nullptr;
    platform::Field* CDCONTCTBL = nullptr;
    platform::Field* NMCONTCTBL = nullptr;
    platform::Field* NMRAZAOSOCIAL = nullptr;
    platform::Field* VRIMPSALDO = nullptr;
    platform::Field* TIPSALDO = nullptr;
    platform::Field* CDEMPRESA = nullptr;
    platform::Field* IDSALDCOME = nullptr;
    platform::Field* CDSALDCOME = nullptr;
    library::TADOIBQuery* ownerQuery = nullptr;
    platform::DataSource* ownerLink = nullptr;
};

}  // namespace screen

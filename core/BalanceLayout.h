// The contract of the balance screen and the application server: the remote module's name,
// the three balance kinds with their kind tags and codes, and the field list of each kind's
// record and change packets (names, types, sizes, order).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Fields.h"

namespace core {

// The remote data module that owns the commercial balances.
inline constexpr std::string_view kSaldComerServer = "Rdq63500.rdmSaldComer";

// In the order of the screen's kind radio group.
enum class BalanceKind { Suppliers = 0, Clients = 1, Banks = 2 };

// Kind tags as calls carry them: suppliers travel with the empty tag.
inline constexpr std::string_view kTagSuppliers = "";
inline constexpr std::string_view kTagClients = "SaldClie";
inline constexpr std::string_view kTagBanks = "SaldBanco";

struct BalanceKindInfo {
    BalanceKind kind;
    std::string_view tag;
    std::string_view code;       // IDSALDCOME: "F", "C", "B"
    std::string_view codeLabel;  // CDSALDCOME as messages name it: "Código do fornecedor"...
};

const BalanceKindInfo& KindInfo(BalanceKind kind);
// nullopt for any other tag.
std::optional<BalanceKind> KindOfTag(std::string_view tag);

// The kind's packet field list. A packet of the kind must carry exactly this list.
const std::vector<FieldDef>& BalanceFields(BalanceKind kind);

// The field list of a balance's history: when (UTC text), the user the client reported, the
// client's address, the change ("Inclusão", "Alteração", "Exclusão"), and the value and
// implanted flag before and after (null on the side a change lacks).
const std::vector<FieldDef>& HistoryFields();

// Positions of the fields every kind has, in the order of the field lists.
enum BalanceField : std::size_t {
    kDtImpSaldo = 0,
    kCdContCtbl = 1,
    kNmContCtbl = 2,
    kNmRazaoSocial = 3,
    kVrImpSaldo = 4,  // the balance, money: exact to the cent
    kTipSaldo = 5,    // "Sim" implanted, "Não" not
    kCdEmpresa = 6,
    kIdSaldCome = 7,
    kCdSaldCome = 8,
    kNrInsJur = 9,
    kIdTpiJur = 10,  // suppliers and clients only
};

inline constexpr std::string_view kImplantedYes = "Sim";
inline constexpr std::string_view kImplantedNo = "Não";

}  // namespace core

// Loading balances: reading the selected kind from the server when the filter panel is left,
// and again on Verify.
#include "screen/TfrmSaldComerc.h"

#include <nlohmann/json.hpp>

#include "core/Json.h"
#include "library/Consiste.h"
#include "screen/BusyAnimation.h"
#include "services/SaldComerService.h"

namespace {

// Cell editing instead of whole-row selection: editing, titles, column resize, column and
// row lines, tabs, always-show-selection, confirm delete, cancel on exit.
constexpr platform::GridOptions kEntryGridOptions = 3829;

// The entry grid's columns 1 and 3 show the ledger account code and the owner name.
constexpr int kColumnAccount = 1;
constexpr int kColumnOwner = 3;

void RightAlignValueTitle(platform::DBGrid& grid) {
    const int column = library::IndiceCol(grid, "VRIMPSALDO");
    if (column >= 0) grid.SetTitleAlignment(column, platform::TextAlignment::Right);
}

// A grid has no columns until a set has been shown through it.
void GiveEllipsis(platform::DBGrid& grid, int column) {
    if (column < grid.ColumnCount())
        grid.SetButtonStyle(column, platform::ColumnButtonStyle::Ellipsis);
}

}  // namespace

// The packet is read into rows while it arrives, off the user-interface thread; the set
// takes them afterwards, here.
platform::PacketRows TfrmSaldComerc::LeSaldComer(std::string_view kindTag,
                                                 const std::vector<platform::FieldDef>& fields) {
    const nlohmann::json arguments =
        nlohmann::json::array({medCdEmpresa->Text(), std::string(kindTag)});
    platform::PacketRows rows;
    library::CheckResultServ(
        netSaldComer->CallReading(std::string(services::kGetSaldComer), arguments,
                                  [&](core::JsonSource& packet) {
                                      rows = platform::PacketRows::Read(packet, fields);
                                      return rows.Count();
                                  }),
        true, 0);
    return rows;
}

// A set being edited is neither read nor rebound, so a reload never throws a row being
// entered away. What raises travels on with the animation stopped and the set untouched. A
// blank company code is refused before anything is read (Verify does not leave the field).
void TfrmSaldComerc::CarregaSaldos(bool bindDataLink) {
    if (library::EmptyString(medCdEmpresa->Text()))
        library::MensErro(msgPadrao->Msg("Empr_Inv"), true);
    const screen::BusyAnimation busy(library::kAviReading);
    auto* kind = SelectedKind();
    if (kind == nullptr || kind->set->Editing()) return;
    kind->set->SetData(LeSaldComer(kind->info->serverTag, kind->set->FieldDefs()));
    if (bindDataLink) dtsPadrao.SetDataSet(kind->set);
}

// Also the enter event of the company code field. Nothing is shown or edited against a
// half-chosen filter; the entry page stays off until the insert command opens it, and the
// data sheet is the page the focus goes back to. A row still being entered keeps its page
// instead, so that the user can return to it: with both pages off the focus could not
// leave the panel again.
void TfrmSaldComerc::panFiltroEnter(platform::Component*) {
    const auto* shown = dtsPadrao.DataSet();
    dtsPadrao.SetEnabled(false);
    if (shown != nullptr && shown->Editing()) return;
    ControlaAbas(false);
}

// The company code was checked by its own exit before this runs. A failed read leaves the
// data link off and the grids and check box as they were.
void TfrmSaldComerc::panFiltroExit(platform::Component* sender) {
    // Asked before the read, so that the read's news stay the last word of the status line.
    const bool mayChange = library::EmptyString(medCdEmpresa->Text()) || PodeAlterarSaldos();
    CarregaSaldos(true);
    dtsPadrao.SetEnabled(true);
    // The grids' columns follow the bound set, so the title is aligned again every time.
    RightAlignValueTitle(*dbgPadrao);
    RightAlignValueTitle(*dbgLancSaldCome);
    // Implant mode is where balances are changed: it is not offered to a user who may only
    // read this company's balances (unchecking it runs its handling).
    cbxImplantSaldo->SetEnabled(mayChange);
    if (mayChange || !cbxImplantSaldo->Checked())
        cbxImplantSaldoClick(sender);
    else
        cbxImplantSaldo->SetChecked(false);
    GiveEllipsis(*dbgLancSaldCome, kColumnAccount);
    GiveEllipsis(*dbgLancSaldCome, kColumnOwner);
    dbgLancSaldCome->SetOptions(kEntryGridOptions);
}

void TfrmSaldComerc::sbtVerificarClick(platform::Component*) {
    CarregaSaldos(false);
}

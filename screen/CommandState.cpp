// Command and page state: which commands are available, which page is shown, which rows are
// visible, and whether the balance sets may be changed at all.
#include "screen/TfrmSaldComerc.h"

#include <optional>
#include <string>

#include "library/Rights.h"
#include "platform/app/Application.h"

namespace {

using library::Command;

const char* const kFilterImplanted = "TIPSALDO = 'Sim'";
const char* const kFilterNotImplanted = "TIPSALDO = 'Não'";

}  // namespace

library::CommandState TfrmSaldComerc::ComandosPermitidos(
    const platform::ClientDataSet& dataSet) const {
    const bool implant = cbxImplantSaldo->Checked();
    const bool browse = dataSet.State() == platform::DataSetState::Browse;
    const bool hasRows = !dataSet.IsEmpty();
    library::CommandState commands;
    commands.incluir = implant && browse;
    commands.alterar = false;
    commands.excluir = implant && browse && hasRows;
    commands.procurar = browse && hasRows;
    commands.verificar = browse && hasRows;
    commands.cancelar = implant && dataSet.Editing();
    commands.confirmar = commands.cancelar;
    return commands;
}

void TfrmSaldComerc::ControlaBotoes(platform::ClientDataSet& dataSet) {
    if (cbxImplantSaldo->Checked() && !dataSet.Active()) return;
    SetCommands(ComandosPermitidos(dataSet));
    dbgPadrao->SetDataSource(&dtsPadrao);
    dbnPadrao->SetDataSource(&dtsPadrao);
    dbtNome->SetDataSource(&dtsPadrao);
}

bool TfrmSaldComerc::PodeAlterarSaldos() {
    const std::optional<rpc::Identity> identity = netSaldComer->WhoAmI();
    if (!identity) return true;
    App().ShowStatus(platform::StatusPart::Connection,
                     "Conectado como " + identity->user + " ao servidor " + netSaldComer->Where());
    return library::MayChangeBalances(*identity, medCdEmpresa->Text());
}

void TfrmSaldComerc::ControlaAbas(bool entry) {
    tshFormulario->SetEnabled(entry);
    mnuFormulario->SetEnabled(entry);
    tshFolhaDados->SetEnabled(!entry);
    pgcPadrao->SetActivePage(entry ? tshFormulario : tshFolhaDados);
}

// Also the state-change handler of the supplier and client look-up links. While the selected
// set is being edited in implant mode only insert, alter and delete are switched off, and
// cancel and confirm are the base handling's; out of implant mode the whole command state is
// worked out again whatever the set's state, so cancel and confirm are never offered there.
void TfrmSaldComerc::dtsPadraoStateChange(platform::Component* sender) {
    TfrmPadrao::dtsPadraoStateChange(sender);
    SetCommand(Command::Incluir, false);
    SetCommand(Command::Alterar, false);
    SetCommand(Command::Excluir, false);

    auto* kind = SelectedKind();
    if (kind != nullptr && (!kind->set->Editing() || !cbxImplantSaldo->Checked()))
        ControlaBotoes(*kind->set);
}

// The new kind is read, and its commands worked out, when the focus leaves the filter panel.
void TfrmSaldComerc::rdgTipoContaClick(platform::Component*) {
    for (const auto command : {Command::Incluir, Command::Alterar, Command::Excluir,
                               Command::Procurar, Command::Verificar})
        SetCommand(command, false);
}

void TfrmSaldComerc::AplicaModoImplantacao(bool implant) {
    for (auto& kind : kinds_) kind.set->SetReadOnly(!implant);
}

// The row filter is set before the commands are worked out, so that delete, search and
// verify follow the rows now shown rather than those of the other group. A filter already in
// place is left alone: switching it would end a row being entered (posting or dropping it)
// each time the filter panel is left. When leaving implant mode cannot end a row being
// entered (its post is refused), implant mode stays, so that the row can still be corrected,
// confirmed or cancelled.
void TfrmSaldComerc::cbxImplantSaldoClick(platform::Component*) {
    const bool implant = cbxImplantSaldo->Checked();

    auto* shown = dtsPadrao.DataSet();
    const std::string filter = implant ? kFilterImplanted : kFilterNotImplanted;
    if (shown != nullptr && !(shown->Filtered() && shown->Filter() == filter)) {
        try {
            shown->SetFiltered(false);
            shown->SetFilter(filter);
            shown->SetFiltered(true);
        } catch (...) {
            if (!implant) cbxImplantSaldo->SetChecked(true);
            throw;
        }
    }
    AplicaModoImplantacao(implant);

    // In implant mode the commands wait for the data link: while the focus is in the filter
    // panel it is off, and leaving the panel runs this handling again with it on.
    auto* kind = SelectedKind();
    if (kind != nullptr && (!implant || dtsPadrao.Enabled())) ControlaBotoes(*kind->set);
}

// Unchecking runs cbxImplantSaldoClick when the box was checked. The framework's renderer
// mirrors every change as it happens, so there is no repaint to ask for first.
void TfrmSaldComerc::FormActivate(platform::Component*) {
    cbxImplantSaldo->SetChecked(false);
}

// Printing is not offered on this screen.
void TfrmSaldComerc::sbtImprimirClick(platform::Component*) {}

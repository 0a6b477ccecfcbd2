// Command and page state: which commands are available, which page is shown, which rows are
// visible.
#include "screen/TfrmSaldComerc.h"

#include <string>

namespace {

const char* const kFilterImplanted = "TIPSALDO = 'Sim'";
const char* const kFilterNotImplanted = "TIPSALDO = 'Não'";

}  // namespace

void TfrmSaldComerc::ControlaBotoes(platform::ClientDataSet& dataSet) {
    const bool implant = cbxImplantSaldo->Checked();
    if (implant && !dataSet.Active()) return;

    const bool browse = dataSet.State() == platform::DataSetState::Browse;
    const bool editing = dataSet.Editing();
    const bool hasRows = !dataSet.IsEmpty();

    sbtConfirmar->SetEnabled(implant && editing);
    sbtCancelar->SetEnabled(implant && editing);
    sbtIncluir->SetEnabled(implant && browse);
    sbtAlterar->SetEnabled(false);
    sbtExcluir->SetEnabled(implant && browse && hasRows);
    sbtProcurar->SetEnabled(browse && hasRows);
    sbtVerificar->SetEnabled(browse && hasRows);

    mnuIncluir->SetEnabled(sbtIncluir->Enabled());
    mnuAlterar->SetEnabled(sbtAlterar->Enabled());
    mnuExcluir->SetEnabled(sbtExcluir->Enabled());
    mnuVerificar->SetEnabled(sbtVerificar->Enabled());
    mnuProcurar->SetEnabled(sbtProcurar->Enabled());
    mnuConfirmar->SetEnabled(sbtConfirmar->Enabled());
    mnuCancelar->SetEnabled(sbtCancelar->Enabled());

    dbgPadrao->SetDataSource(&dtsPadrao);
    dbnPadrao->SetDataSource(&dtsPadrao);
    dbtNome->SetDataSource(&dtsPadrao);
}

void TfrmSaldComerc::ControlaAbas(bool entry) {
    if (entry) {
        tshFormulario->SetEnabled(true);
        mnuFormulario->SetEnabled(true);
        tshFolhaDados->SetEnabled(false);
        pgcPadrao->SetActivePage(tshFormulario);
    } else {
        tshFormulario->SetEnabled(false);
        mnuFormulario->SetEnabled(false);
        tshFolhaDados->SetEnabled(true);
        pgcPadrao->SetActivePage(tshFolhaDados);
    }
}

// Also the state-change handler of the supplier and client look-up links. While the selected
// set is being edited only insert, alter and delete are switched off; cancel and confirm are
// the base handling's.
void TfrmSaldComerc::dtsPadraoStateChange(platform::Component* sender) {
    TfrmPadrao::dtsPadraoStateChange(sender);
    sbtIncluir->SetEnabled(false);
    mnuIncluir->SetEnabled(false);
    sbtAlterar->SetEnabled(false);
    mnuAlterar->SetEnabled(false);
    sbtExcluir->SetEnabled(false);
    mnuExcluir->SetEnabled(false);

    if (rdgTipoConta->ItemIndex() == 0 && !cdsSaldForn.Editing()) ControlaBotoes(cdsSaldForn);
    if (rdgTipoConta->ItemIndex() == 1 && !cdsSaldClie.Editing()) ControlaBotoes(cdsSaldClie);
    if (rdgTipoConta->ItemIndex() == 2 && !cdsSaldBanco.Editing()) ControlaBotoes(cdsSaldBanco);
}

// The new kind is read, and its commands worked out, when the focus leaves the filter panel.
void TfrmSaldComerc::rdgTipoContaClick(platform::Component*) {
    sbtIncluir->SetEnabled(false);
    mnuIncluir->SetEnabled(false);
    sbtAlterar->SetEnabled(false);
    mnuAlterar->SetEnabled(false);
    sbtExcluir->SetEnabled(false);
    mnuExcluir->SetEnabled(false);
    sbtProcurar->SetEnabled(false);
    mnuProcurar->SetEnabled(false);
    sbtVerificar->SetEnabled(false);
    mnuVerificar->SetEnabled(false);
}

// The row filter is set before the commands are worked out, so that delete, search and
// verify follow the rows now shown rather than those of the other group. A filter already in
// place is left alone: switching it would end a row being entered (posting or dropping it)
// each time the filter panel is left.
void TfrmSaldComerc::cbxImplantSaldoClick(platform::Component*) {
    const bool implant = cbxImplantSaldo->Checked();

    auto* shown = dtsPadrao.DataSet();
    const std::string filter = implant ? kFilterImplanted : kFilterNotImplanted;
    if (shown != nullptr && !(shown->Filtered() && shown->Filter() == filter)) {
        shown->SetFiltered(false);
        shown->SetFilter(filter);
        shown->SetFiltered(true);
    }

    // In implant mode the commands wait for the data link: while the focus is in the filter
    // panel it is off, and leaving the panel runs this handling again with it on.
    if (rdgTipoConta->ItemIndex() == 0 && (!implant || dtsPadrao.Enabled()))
        ControlaBotoes(cdsSaldForn);
    if (rdgTipoConta->ItemIndex() == 1 && (!implant || dtsPadrao.Enabled()))
        ControlaBotoes(cdsSaldClie);
    if (rdgTipoConta->ItemIndex() == 2 && (!implant || dtsPadrao.Enabled()))
        ControlaBotoes(cdsSaldBanco);
}

// Unchecking runs cbxImplantSaldoClick when the box was checked. The framework's renderer
// mirrors every change as it happens, so there is no repaint to ask for first.
void TfrmSaldComerc::FormActivate(platform::Component*) {
    cbxImplantSaldo->SetChecked(false);
}

// Printing is not offered on this screen.
void TfrmSaldComerc::sbtImprimirClick(platform::Component*) {}

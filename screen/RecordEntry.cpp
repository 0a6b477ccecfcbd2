// Record entry: insert, delete, cancel and confirm, new-row defaults and the entry grid's key
// filter. The commands act on the selected kind's set, not on the set the data link shows.
#include "screen/TfrmSaldComerc.h"

#include "records/BalanceFields.h"

namespace {

// Moves to the first row, inserts the new row there (the new-row handler fills its
// defaults) and prepares the value and month fields for typing.
void StartNewRow(const screen::KindMembers& kind) {
    kind.set->First();
    kind.set->Insert();
    kind.VRIMPSALDO->SetEditFormat(records::kValueEditFormat);
    kind.DTIMPSALDO->SetEditMask(records::kMonthEditMask);
    kind.DTIMPSALDO->FocusControl();
}

}  // namespace

// A set that cannot take a new row now (not read yet, out of implant mode, a row already
// being entered) leaves the pages as they are. Should the insert still fail, the data sheet
// comes back rather than an entry page with no row on it.
void TfrmSaldComerc::sbtIncluirClick(platform::Component*) {
    auto* kind = SelectedKind();
    if (kind != nullptr && !ComandosPermitidos(*kind->set).incluir) return;
    ControlaAbas(true);
    if (kind == nullptr) return;
    try {
        StartNewRow(*kind);
    } catch (...) {
        if (kind->set->State() != platform::DataSetState::Insert) ControlaAbas(false);
        throw;
    }
}

// The question is asked only when there is a row to delete.
void TfrmSaldComerc::sbtExcluirClick(platform::Component*) {
    auto* kind = SelectedKind();
    if (kind != nullptr && ComandosPermitidos(*kind->set).excluir &&
        msgMensagensPadroes->ShowMsg("Excl", platform::DialogType::Confirmation,
                                     platform::mbYes | platform::mbNo, 0) == platform::mrYes)
        kind->set->Delete();
    ControlaAbas(false);
}

void TfrmSaldComerc::sbtCancelarClick(platform::Component* sender) {
    TfrmPadrao::sbtCancelarClick(sender);
    if (auto* kind = SelectedKind()) kind->set->Cancel();
    ControlaAbas(false);
}

// A refused post raises out of here: the row stays in edit and the page stays as it is.
void TfrmSaldComerc::sbtConfirmarClick(platform::Component* sender) {
    TfrmPadrao::sbtConfirmarClick(sender);
    if (auto* kind = SelectedKind(); kind != nullptr && kind->set->Editing()) {
        kind->set->Post();
        ControlaBotoes(*kind->set);
    }
    ControlaAbas(false);
}

void TfrmSaldComerc::cdsSaldFornNewRecord(platform::ClientDataSet&) {
    PreencheNovaLinha(Kind(records::BalanceKind::Suppliers));
}

void TfrmSaldComerc::cdsSaldClieNewRecord(platform::ClientDataSet&) {
    PreencheNovaLinha(Kind(records::BalanceKind::Clients));
}

void TfrmSaldComerc::cdsSaldBancoNewRecord(platform::ClientDataSet&) {
    PreencheNovaLinha(Kind(records::BalanceKind::Banks));
}

// The defaults of a new row. They run for every new row, started by the insert command or
// from the grid itself.
void TfrmSaldComerc::PreencheNovaLinha(screen::KindMembers& kind) {
    kind.TIPSALDO->SetAsString("Sim");
    kind.CDEMPRESA->SetAsString(medCdEmpresa->Text());
    kind.IDSALDCOME->SetAsString(std::string(kind.info->kindCode));
    kind.VRIMPSALDO->SetAsFloat(0);
    kind.DTIMPSALDO->FocusControl();
}

// The account and owner columns are filled by the look-ups only; the value column takes
// digits, the decimal comma and the minus sign. Field names are compared with letter case.
void TfrmSaldComerc::dbgLancSaldComeKeyPress(platform::Component*, char32_t& key) {
    const platform::Field* field = dbgLancSaldCome->SelectedField();
    if (!field) return;
    const std::string& name = field->FieldName();
    const bool tabOrEnter = key == 9 || key == 13;
    if (name == "NMCONTCTBL" && !tabOrEnter) key = 0;
    if (name == "CDCONTCTBL" && !tabOrEnter) key = 0;
    if (name == "NMRAZAOSOCIAL" && !tabOrEnter) key = 0;
    if (name == "TIPSALDO" && !tabOrEnter && key != U'S') key = 0;
    if (name == "VRIMPSALDO" && key != 8 && key != U',' && key != U'-' &&
        !(key >= U'0' && key <= U'9'))
        key = 0;
}

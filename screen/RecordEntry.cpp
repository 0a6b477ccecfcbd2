// Record entry: insert, delete, cancel and confirm, new-row defaults and the entry grid's key
// filter.
#include "screen/TfrmSaldComerc.h"

#include "records/BalanceFields.h"

namespace {

// Moves to the first row, inserts the new row there (the new-row handler fills its
// defaults) and prepares the value and month fields for typing.
void StartNewRow(platform::ClientDataSet& set, platform::Field& value, platform::Field& month) {
    set.First();
    set.Insert();
    value.SetEditFormat(records::kValueEditFormat);
    month.SetEditMask(records::kMonthEditMask);
    month.FocusControl();
}

}  // namespace

void TfrmSaldComerc::sbtIncluirClick(platform::Component*) {
    ControlaAbas(true);
    const int kind = rdgTipoConta->ItemIndex();
    if (kind == 0) StartNewRow(cdsSaldForn, *cdsSaldFornVRIMPSALDO, *cdsSaldFornDTIMPSALDO);
    if (kind == 1) StartNewRow(cdsSaldClie, *cdsSaldClieVRIMPSALDO, *cdsSaldClieDTIMPSALDO);
    if (kind == 2) StartNewRow(cdsSaldBanco, *cdsSaldBancoVRIMPSALDO, *cdsSaldBancoDTIMPSALDO);
}

void TfrmSaldComerc::sbtExcluirClick(platform::Component*) {
    const int kind = rdgTipoConta->ItemIndex();
    const auto confirmed = [this] {
        return msgMensagensPadroes->ShowMsg("Excl", platform::DialogType::Confirmation,
                                            platform::mbYes | platform::mbNo, 0) == platform::mrYes;
    };
    if (kind == 0 && confirmed()) cdsSaldForn.Delete();
    if (kind == 1 && confirmed()) cdsSaldClie.Delete();
    if (kind == 2 && confirmed()) cdsSaldBanco.Delete();
    ControlaAbas(false);
}

void TfrmSaldComerc::sbtCancelarClick(platform::Component* sender) {
    TfrmPadrao::sbtCancelarClick(sender);
    const int kind = rdgTipoConta->ItemIndex();
    if (kind == 0) cdsSaldForn.Cancel();
    if (kind == 1) cdsSaldClie.Cancel();
    if (kind == 2) cdsSaldBanco.Cancel();
    ControlaAbas(false);
}

void TfrmSaldComerc::sbtConfirmarClick(platform::Component* sender) {
    TfrmPadrao::sbtConfirmarClick(sender);
    const int kind = rdgTipoConta->ItemIndex();
    // A refused post raises out of here: the row stays in edit and the page stays as it is.
    const auto post = [this](platform::ClientDataSet& set) {
        if (!set.Editing()) return;
        set.Post();
        ControlaBotoes(set);
    };
    if (kind == 0) post(cdsSaldForn);
    if (kind == 1) post(cdsSaldClie);
    if (kind == 2) post(cdsSaldBanco);
    ControlaAbas(false);
}

// The defaults of a new row. They run for every new row, started by the insert command or
// from the grid itself.
void TfrmSaldComerc::cdsSaldFornNewRecord(platform::ClientDataSet&) {
    cdsSaldFornTIPSALDO->SetAsString("Sim");
    cdsSaldFornCDEMPRESA->SetAsString(medCdEmpresa->Text());
    cdsSaldFornIDSALDCOME->SetAsString("F");
    cdsSaldFornVRIMPSALDO->SetAsFloat(0);
    cdsSaldFornDTIMPSALDO->FocusControl();
}

void TfrmSaldComerc::cdsSaldClieNewRecord(platform::ClientDataSet&) {
    cdsSaldClieTIPSALDO->SetAsString("Sim");
    cdsSaldClieCDEMPRESA->SetAsString(medCdEmpresa->Text());
    cdsSaldClieIDSALDCOME->SetAsString("C");
    cdsSaldClieVRIMPSALDO->SetAsFloat(0);
    cdsSaldClieDTIMPSALDO->FocusControl();
}

void TfrmSaldComerc::cdsSaldBancoNewRecord(platform::ClientDataSet&) {
    cdsSaldBancoTIPSALDO->SetAsString("Sim");
    cdsSaldBancoCDEMPRESA->SetAsString(medCdEmpresa->Text());
    cdsSaldBancoIDSALDCOME->SetAsString("B");
    cdsSaldBancoVRIMPSALDO->SetAsFloat(0);
    cdsSaldBancoDTIMPSALDO->FocusControl();
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

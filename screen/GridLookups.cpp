// Grid look-ups: the ledger account and owner pick lists of the entry grid's ellipsis buttons.
#include "screen/TfrmSaldComerc.h"

#include "library/Consiste.h"
#include "library/Pesquisa.h"
#include "platform/text/TextFunctions.h"

namespace {

// Writes the picked code and name into the row; the set keeps inserting (Edit does nothing
// then). The name is written only once the code was accepted.
void WritePick(platform::ClientDataSet& set, platform::Field& code, const std::string& codeText,
               platform::Field& name, const std::string& nameText) {
    set.Edit();
    code.SetAsString(codeText);
    name.SetAsString(nameText);
}

// The account list holds codes longer than the row's field; cutting one would store another
// account, so such a pick is refused with a message and nothing is written.
void RefuseLongAccount(const std::string& code, const platform::Field& field) {
    const auto limit = static_cast<std::size_t>(field.Size());
    if (platform::Utf8Length(code) <= limit) return;
    library::MensErro("A Conta Contábil " + code + " tem código com mais de " +
                          std::to_string(limit) +
                          " caracteres e não pode ser usada no saldo comercial. Escolha outra "
                          "conta.",
                      true);
}

}  // namespace

void TfrmSaldComerc::dbgLancSaldComeEditButtonClick(platform::Component*) {
    if (dtsPadrao.State() != platform::DataSetState::Insert) return;
    const platform::Field* selected = dbgLancSaldCome->SelectedField();
    if (!selected) return;
    const std::string& column = selected->FieldName();
    const int kind = rdgTipoConta->ItemIndex();

    if (column == "CDCONTCTBL") {
        qryContCtbl->Close();
        qryContCtbl->Open();
        const std::string title =
            msgPadrao->Msg("ContCtbl") + "|" + msgPadrao->Msg("Conta_Contab_Empty");
        if (!library::Pesquisar(dtsContCtbl, title, false, true)) return;
        const std::string code = qryContCtbl->Query.FieldByName("CDCONTCTBL").AsString();
        const std::string name = qryContCtbl->Query.FieldByName("NMCONTCTBL").AsString();
        const auto pick = [&](platform::ClientDataSet& set, platform::Field& codeField,
                              platform::Field& nameField) {
            RefuseLongAccount(code, codeField);
            WritePick(set, codeField, code, nameField, name);
        };
        if (kind == 0) pick(cdsSaldForn, *cdsSaldFornCDCONTCTBL, *cdsSaldFornNMCONTCTBL);
        if (kind == 1) pick(cdsSaldClie, *cdsSaldClieCDCONTCTBL, *cdsSaldClieNMCONTCTBL);
        if (kind == 2) pick(cdsSaldBanco, *cdsSaldBancoCDCONTCTBL, *cdsSaldBancoNMCONTCTBL);
        return;
    }

    if (column != "NMRAZAOSOCIAL") return;
    if (kind == 0) {
        qryFornecedor->Close();
        qryFornecedor->ParamByName("CDFORNECED").Clear();
        qryFornecedor->ParamByName("NRINSJURFORN").Clear();
        qryFornecedor->Open();
        const std::string title = msgPadrao->Msg("Forn") + "|" + msgPadrao->Msg("Fornecedor_Empty");
        if (!library::Pesquisar(dtsFornecedor, title, false, true)) return;
        WritePick(cdsSaldForn, *cdsSaldFornCDSALDCOME,
                  qryFornecedor->Query.FieldByName("CDFORNECED").AsString(),
                  *cdsSaldFornNMRAZAOSOCIAL,
                  qryFornecedor->Query.FieldByName("NMRAZSOCFORN").AsString());
    }
    if (kind == 1) {
        qryCliente->Close();
        qryCliente->ParamByName("CDCLIENTE").Clear();
        qryCliente->ParamByName("NRINSJURCLIE").Clear();
        qryCliente->Open();
        const std::string title = msgPadrao->Msg("Cliente") + "|" + msgPadrao->Msg("Cliente_Empty");
        if (!library::Pesquisar(dtsCliente, title, false, true)) return;
        WritePick(cdsSaldClie, *cdsSaldClieCDSALDCOME,
                  qryCliente->Query.FieldByName("CDCLIENTE").AsString(), *cdsSaldClieNMRAZAOSOCIAL,
                  qryCliente->Query.FieldByName("NMRAZSOCCLIE").AsString());
    }
    if (kind == 2) {
        qryBanco->Close();
        qryBanco->ParamByName("P_CDREDUCONT").Clear();
        qryBanco->ParamByName("P_TCDREDUCONT").SetAsString("T");
        qryBanco->Open();
        const std::string title = msgPadrao->Msg("Banco") + "|" + msgPadrao->Msg("Banco_Empty");
        if (!library::Pesquisar(dtsBanco, title, false, true)) return;
        WritePick(cdsSaldBanco, *cdsSaldBancoCDSALDCOME,
                  qryBanco->Query.FieldByName("CDREDUCONT").AsString(), *cdsSaldBancoNMRAZAOSOCIAL,
                  qryBanco->Query.FieldByName("NMBANCO").AsString());
    }
}

// Validation before posting: the server's balance check, then the blank-field checks.
#include "screen/TfrmSaldComerc.h"

#include "library/Consiste.h"
#include "library/Showavi.h"
#include "platform/Exceptions.h"
#include "platform/text/DateTime.h"
#include "records/BalanceFields.h"
#include "services/SaldComerService.h"

// The server judges first, so a row with blank fields still reaches it; then the five shown
// fields in their order, each read just before its own check.
void TfrmSaldComerc::cdsSaldFornBeforePost(platform::ClientDataSet&) {
    Vd_SaldoContCtbl(cdsSaldForn);
    Vd_Campos(true, cdsSaldFornDTIMPSALDO->AsString(), "Dt_Imp_Saldo_Empty");
    Vd_Campos(true, cdsSaldFornCDCONTCTBL->AsString(), "Conta_Contabil_Empty");
    Vd_Campos(true, cdsSaldFornNMCONTCTBL->AsString(), "Nome_Cont_Contabil_Empty");
    Vd_Campos(true, cdsSaldFornNMRAZAOSOCIAL->AsString(), "Nome_Fornec_Empty");
    Vd_Campos(true, cdsSaldFornVRIMPSALDO->AsString(), "Varlor_Empty");
}

void TfrmSaldComerc::cdsSaldClieBeforePost(platform::ClientDataSet&) {
    Vd_SaldoContCtbl(cdsSaldClie);
    Vd_Campos(true, cdsSaldClieDTIMPSALDO->AsString(), "Dt_Imp_Saldo_Empty");
    Vd_Campos(true, cdsSaldClieCDCONTCTBL->AsString(), "Conta_Contabil_Empty");
    Vd_Campos(true, cdsSaldClieNMCONTCTBL->AsString(), "Nome_Cont_Contabil_Empty");
    Vd_Campos(true, cdsSaldClieNMRAZAOSOCIAL->AsString(), "Nome_Cliente_Empty");
    Vd_Campos(true, cdsSaldClieVRIMPSALDO->AsString(), "Varlor_Empty");
}

void TfrmSaldComerc::cdsSaldBancoBeforePost(platform::ClientDataSet&) {
    Vd_SaldoContCtbl(cdsSaldBanco);
    Vd_Campos(true, cdsSaldBancoDTIMPSALDO->AsString(), "Dt_Imp_Saldo_Empty");
    Vd_Campos(true, cdsSaldBancoCDCONTCTBL->AsString(), "Conta_Contabil_Empty");
    Vd_Campos(true, cdsSaldBancoNMCONTCTBL->AsString(), "Nome_Cont_Contabil_Empty");
    Vd_Campos(true, cdsSaldBancoNMRAZAOSOCIAL->AsString(), "Nome_Banco_Empty");
    Vd_Campos(true, cdsSaldBancoVRIMPSALDO->AsString(), "Varlor_Empty");
}

// Asks the server whether the account's balance allows the row's value in its month. The
// row is read before the animation starts; the animation is stopped on every way out.
void TfrmSaldComerc::Vd_SaldoContCtbl(platform::ClientDataSet& dataSet) {
    const std::string month =
        platform::FormatDateTime("MM/YYYY", dataSet.Fields(records::kPosDTIMPSALDO).AsDateTime());
    const std::string account = dataSet.Fields(records::kPosCDCONTCTBL).AsString();
    const double value = dataSet.Fields(records::kPosVRIMPSALDO).AsFloat();

    try {
        library::ActiveShowAvi(nullptr, library::kAviReading);
        const auto result = netSaldComer->Call(std::string(services::kGetVdSaldoContCtbl),
                                               {medCdEmpresa->Text(), account, month, value});
        const auto payload = library::CheckResultServ(result, true, 0);
        if (!payload.is_boolean())
            throw platform::Error(
                "O servidor de aplicação respondeu à verificação do saldo da Conta Contábil "
                "com um valor inesperado.");
        const bool allowed = payload.get<bool>();
        library::DeactiveShowAvi();
        if (!allowed) library::MensErro(msgPadrao->Msg("Saldo_ContCtbl"), true);
    } catch (...) {
        library::DeactiveShowAvi();
        throw;
    }
}

// Reports a blank field only while a row is being entered on the entry page.
void TfrmSaldComerc::Vd_Campos(bool check, const std::string& text, const std::string& key) {
    if (pgcPadrao->ActivePage() != tshFormulario) return;
    const auto state = dtsPadrao.State();
    if (state != platform::DataSetState::Edit && state != platform::DataSetState::Insert) return;
    if (!library::EmptyString(text)) return;
    if (!check) return;
    library::MensErro(msgPadrao->Msg(key), true);
}

// Validation before posting: the server's balance check, then the blank-field checks.
#include "screen/TfrmSaldComerc.h"

#include "core/PtBrNumber.h"
#include "library/Consiste.h"
#include "platform/Exceptions.h"
#include "platform/text/DateTime.h"
#include "records/BalanceFields.h"
#include "screen/BusyAnimation.h"
#include "services/SaldComerService.h"

void TfrmSaldComerc::cdsSaldFornBeforePost(platform::ClientDataSet&) {
    ValidaLinha(Kind(records::BalanceKind::Suppliers));
}

void TfrmSaldComerc::cdsSaldClieBeforePost(platform::ClientDataSet&) {
    ValidaLinha(Kind(records::BalanceKind::Clients));
}

void TfrmSaldComerc::cdsSaldBancoBeforePost(platform::ClientDataSet&) {
    ValidaLinha(Kind(records::BalanceKind::Banks));
}

// The server judges first, so a row with blank fields still reaches it; then the five shown
// fields in their order, each read just before its own check.
void TfrmSaldComerc::ValidaLinha(screen::KindMembers& kind) {
    Vd_SaldoContCtbl(*kind.set);
    Vd_Campos(true, kind.DTIMPSALDO->AsString(), "Dt_Imp_Saldo_Empty");
    Vd_Campos(true, kind.CDCONTCTBL->AsString(), "Conta_Contabil_Empty");
    Vd_Campos(true, kind.NMCONTCTBL->AsString(), "Nome_Cont_Contabil_Empty");
    Vd_Campos(true, kind.NMRAZAOSOCIAL->AsString(), std::string(kind.info->ownerNameEmptyKey));
    Vd_Campos(true, kind.VRIMPSALDO->AsString(), "Varlor_Empty");
}

// Asks the server whether the account's balance allows the row's value in its month. The
// row is read before the animation starts; the animation is stopped once the answer is in,
// and again by its guard when the answer refuses the row.
void TfrmSaldComerc::Vd_SaldoContCtbl(platform::ClientDataSet& dataSet) {
    const std::string month =
        platform::FormatDateTime("MM/YYYY", dataSet.Fields(records::kPosDTIMPSALDO).AsDateTime());
    const std::string account = dataSet.Fields(records::kPosCDCONTCTBL).AsString();
    const double value = dataSet.Fields(records::kPosVRIMPSALDO).AsFloat();

    screen::BusyAnimation busy(library::kAviReading);
    const auto result = netSaldComer->Call(std::string(services::kGetVdSaldoContCtbl),
                                           {medCdEmpresa->Text(), account, month, value});
    const auto payload = library::CheckResultServ(result, true, 0);
    if (!payload.is_boolean())
        throw platform::Error(
            "O servidor de aplicação respondeu à verificação do saldo da Conta Contábil com um "
            "valor inesperado.");
    const bool allowed = payload.get<bool>();
    const std::string figures = allowed ? std::string() : LedgerFigures(account, month);
    busy.Stop();
    if (!allowed) library::MensErro(msgPadrao->Msg("Saldo_ContCtbl"), true, figures);
}

// What the server weighed for a refused value, in the screen's form of a balance; empty when
// the server cannot tell, since the refusal stands on its own.
std::string TfrmSaldComerc::LedgerFigures(const std::string& account, const std::string& month) {
    try {
        const auto result = netSaldComer->Call(std::string(services::kGetSaldoContCtbl),
                                               {medCdEmpresa->Text(), account, month});
        const auto figures = library::CheckResultServ(result, true, 0);
        if (!figures.at("utilizavel").get<bool>())
            return "A conta " + account +
                   " não recebe saldos implantados: não é analítica com tipo comercial.";
        return "Saldo contábil em " + month + ": " +
               core::BalanceText(figures.at("saldoContabil").get<std::int64_t>()) +
               "; já implantado: " +
               core::BalanceText(figures.at("implantado").get<std::int64_t>()) +
               "; disponível: " + core::BalanceText(figures.at("disponivel").get<std::int64_t>()) +
               ".";
    } catch (const std::exception&) {
        return {};
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

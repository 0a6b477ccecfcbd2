// "Histórico do saldo": the audit trail's changes of the balance under the cursor, in a window
// of their own.
#include "screen/TfrmSaldComerc.h"

#include <nlohmann/json.hpp>

#include "core/Calendar.h"
#include "library/Consiste.h"
#include "platform/app/Application.h"
#include "platform/text/DateTime.h"
#include "screen/BusyAnimation.h"
#include "screen/TfrmHistSaldo.h"
#include "services/SaldComerService.h"

// A row being entered has no history yet, and one being edited is shown as the server holds
// it: the history is read for the key the row was loaded with.
void TfrmSaldComerc::mnuHistSaldoClick(platform::Component*) {
    auto* kind = SelectedKind();
    if (kind == nullptr || !kind->set->Active() || kind->set->IsEmpty() ||
        kind->set->State() == platform::DataSetState::Insert)
        library::MensErro("Selecione um saldo gravado para ver o seu histórico.", true);
    const std::string date = platform::DateTimeToIso(kind->DTIMPSALDO->AsDateTime());
    const std::string account = kind->CDCONTCTBL->AsString();
    const std::string owner = kind->CDSALDCOME->AsString();
    nlohmann::json packet;
    {
        const screen::BusyAnimation busy(library::kAviReading);
        packet = library::CheckResultServ(
            netSaldComer->Call(
                std::string(services::kGetHistSaldComer),
                {medCdEmpresa->Text(), std::string(kind->info->serverTag), date, account, owner}),
            true, 0);
    }
    std::string heading = "Saldo de " + core::MonthTextOfIso(date) + ", conta " + account + ", " +
                          std::string(kind->info->ownerLabel) + " " + owner;
    if (const std::string name = kind->NMRAZAOSOCIAL->AsString(); !name.empty())
        heading += " (" + name + ")";
    if (packet.value("rows", nlohmann::json::array()).empty())
        heading += ": nenhuma alteração registrada.";
    if (history_ == nullptr) {
        history_ = App().CreateForm<TfrmHistSaldo>();
        history_->Destroyed = [this] { history_ = nullptr; };
    }
    history_->Mostra(heading, packet);
}

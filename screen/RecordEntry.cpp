// Record entry: insert, delete, cancel and confirm, new-row defaults and the entry grid's key
// filter.
#include "screen/TfrmSaldComerc.h"

void TfrmSaldComerc::sbtIncluirClick(platform::Component*) {}

void TfrmSaldComerc::sbtExcluirClick(platform::Component*) {}

void TfrmSaldComerc::sbtCancelarClick(platform::Component* sender) {
    TfrmPadrao::sbtCancelarClick(sender);
}

void TfrmSaldComerc::sbtConfirmarClick(platform::Component* sender) {
    TfrmPadrao::sbtConfirmarClick(sender);
}

void TfrmSaldComerc::cdsSaldFornNewRecord(platform::ClientDataSet&) {}

void TfrmSaldComerc::cdsSaldClieNewRecord(platform::ClientDataSet&) {}

void TfrmSaldComerc::cdsSaldBancoNewRecord(platform::ClientDataSet&) {}

void TfrmSaldComerc::dbgLancSaldComeKeyPress(platform::Component*, char32_t&) {}

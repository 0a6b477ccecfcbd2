// The module's entries: IniProc opens the "Saldo Comercial" screen, creating it once and
// bringing it forward on later calls; frmSaldComerc, woMes and woAno are exported variables.
#pragma once

#include <cstdint>

class TfrmSaldComerc;

#define SALDO_EXPORT __attribute__((visibility("default")))

extern "C" {
// Opens the screen (see CriaSaldCome). Errors raised while the screen is built travel to
// the caller; the host reports them.
SALDO_EXPORT void IniProc();
// The one screen, while it exists; null before the first IniProc and once it is freed.
SALDO_EXPORT extern TfrmSaldComerc* frmSaldComerc;
SALDO_EXPORT extern std::uint16_t woMes;
SALDO_EXPORT extern std::uint16_t woAno;
}

// Creates the screen when it is not open, then shows it in the normal window state. The
// cursor is the hourglass meanwhile and is put back even when creation fails; a failed
// creation leaves no screen behind, so the next call tries again.
void CriaSaldCome();

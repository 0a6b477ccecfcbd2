// Busy animation over the dialog port; without a port (a host with no dialogs) it is a no-op.
#include "library/Showavi.h"

#include "platform/app/Application.h"
#include "platform/app/DialogPort.h"

namespace library {

void ActiveShowAvi(platform::Form* mainWindow, int kind) {
    (void)mainWindow;
    if (auto* dialogs = platform::Application::Instance().Dialogs()) dialogs->StartBusy(kind);
}

// The port accepts a stop with no animation running, so no state is kept here.
void DeactiveShowAvi() {
    if (auto* dialogs = platform::Application::Instance().Dialogs()) dialogs->StopBusy();
}

}  // namespace library

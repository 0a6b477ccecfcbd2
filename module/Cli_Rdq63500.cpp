// The module's entries and the single-instance rule of the screen.
#include "module/Cli_Rdq63500.h"

#include "platform/app/Application.h"
#include "screen/TfrmSaldComerc.h"

extern "C" {
SALDO_EXPORT TfrmSaldComerc* frmSaldComerc = nullptr;
}

namespace {

// True between the screen's creation and its close.
bool created = false;

class CursorGuard {
  public:
    explicit CursorGuard(platform::Application& app) : app_(app) {
        app_.SetCursor(platform::Cursor::HourGlass);
    }
    ~CursorGuard() { app_.SetCursor(platform::Cursor::Default); }
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;

  private:
    platform::Application& app_;
};

}  // namespace

void CriaSaldCome() {
    auto& app = platform::Application::Instance();
    const CursorGuard cursor(app);
    if (!created || !frmSaldComerc) {
        // CreateForm frees the form itself when its creation handler raises.
        auto* form = app.CreateForm<TfrmSaldComerc>();
        form->ClearCreatedFlag = [] { created = false; };
        form->Destroyed = [form] {
            if (frmSaldComerc == form) frmSaldComerc = nullptr;
        };
        frmSaldComerc = form;
        created = true;
    }
    frmSaldComerc->Show();
    frmSaldComerc->SetWindowState(platform::WindowState::Normal);
}

extern "C" void IniProc() {
    CriaSaldCome();
}

// The framework's dialog port in Qt: message boxes, the look-up list and the busy animation.
#pragma once

#include <functional>
#include <string>

#include "host/BusyIndicator.h"
#include "platform/app/DialogPort.h"

class QWidget;

namespace host {

class QtDialogPort : public platform::DialogPort {
  public:
    explicit QtDialogPort(QWidget* window) : window_(window), busy_(window) {}

    void ShowError(const std::string& text) override;
    // The detail goes below the message and, after it, into the status line.
    void ShowErrorWithDetail(const std::string& text, const std::string& detail) override;
    // Hears every error shown, once the user has closed its box.
    std::function<void(const std::string&)> afterError;
    int Ask(const std::string& text, platform::DialogType type, platform::DialogButtons buttons,
            int helpContext) override;
    std::optional<std::size_t> PickRow(const std::string& title,
                                       const std::vector<std::string>& captions,
                                       const std::vector<std::vector<std::string>>& rows) override;
    void StartBusy(int kind) override;
    void StopBusy() override;
    // The login window, on the user-interface thread whichever thread asks (a server call
    // running as a job waits for the answer). A second ask starts with the name typed last.
    std::optional<platform::LoginAnswer> AskLogin(const platform::LoginRequest& request) override;

    BusyIndicator& Busy() { return busy_; }

  private:
    QWidget* window_;
    BusyIndicator busy_;
    std::string lastUser_;
};

}  // namespace host

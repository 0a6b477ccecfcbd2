// DialogPort: the one way the framework and the screens show modal dialogs. The shell
// implements it with real dialogs; tests answer from a script.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class DialogType { Warning, Error, Information, Confirmation, Custom };

// The buttons of a question, as a bit set.
enum DialogButton : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
};
using DialogButtons = unsigned;

// The answer codes of a question.
enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

// What the login window shows: the server ("host:port" or the local socket), its
// certificate's SHA-256 fingerprint (empty off TLS), why the previous attempt was refused
// (empty on the first), and the user name it starts with.
struct LoginRequest {
    std::string server;
    std::string fingerprint;
    std::string refusal;
    std::string user;
};

struct LoginAnswer {
    std::string user;
    std::string password;
};

class DialogPort {
  public:
    virtual ~DialogPort() = default;

    // An error message with an OK button.
    virtual void ShowError(const std::string& text) = 0;
    // The same with a detail below it (the figures behind a refusal); a port that has no room
    // for it shows the error alone.
    virtual void ShowErrorWithDetail(const std::string& text, const std::string& /*detail*/) {
        ShowError(text);
    }
    // A question; returns the answer code of the button pressed (mrYes, mrNo, ...).
    virtual int Ask(const std::string& text, DialogType type, DialogButtons buttons,
                    int helpContext) = 0;
    // A list to pick one row from: the index of the picked row, or nothing when the user
    // closed the list without a pick. `rows` holds one text per caption in every row.
    virtual std::optional<std::size_t> PickRow(
        const std::string& title, const std::vector<std::string>& captions,
        const std::vector<std::vector<std::string>>& rows) = 0;
    // The busy animation of a long call; `kind` names the animation (6 reading, 1 saving).
    // Stopping when none runs is allowed.
    virtual void StartBusy(int kind) = 0;
    virtual void StopBusy() = 0;
    // The login window; nothing when the user cancels. It may be asked from a job's thread (a
    // server call that finds it must log in). A port without such a window answers nothing.
    virtual std::optional<LoginAnswer> AskLogin(const LoginRequest&) { return std::nullopt; }
};

}  // namespace platform

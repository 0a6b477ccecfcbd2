// Application: the one per process (shared by the shell and the modules it loads). Owns the
// forms, knows the active one, holds the cursor and the dialog port, and is the event
// boundary where an error that leaves a handler is reported.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/app/JobPort.h"
#include "platform/ui/Component.h"
#include "platform/ui/Form.h"

namespace platform {

class DialogPort;

enum class Cursor { Default, HourGlass };

enum class AppEvent {
    FormCreated,
    FormShown,
    FormHidden,
    FormBroughtForward,
    FormActivated,
    FormReleased,
    WindowStateChanged,
    FocusMoved,
    CursorChanged,
    PropertyChanged,
    StatusChanged,
};

// The parts of the status line: what just happened, and where the client is connected.
enum class StatusPart { Message, Connection };

// What a renderer hears: the event, the form concerned, and for a property change or a
// focus move the component and property concerned (the focused control, or null).
struct Notification {
    AppEvent event;
    Form* form = nullptr;
    Component* component = nullptr;
    Property property = Property::Name;
};

class Application : public Component {
  public:
    Application() = default;
    ~Application() override;

    // The process's application: a function-local static in this shared library, so that
    // the shell and every module see the same one. Tests may build their own instead.
    static Application& Instance();

    // Creates a form owned by the application, then runs its OnCreate. When OnCreate
    // raises, the form is freed and the error propagates.
    template <class T, class... Args>
    T* CreateForm(Args&&... args) {
        auto form = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T* raw = form.get();
        AdoptForm(std::move(form));
        return raw;
    }

    std::vector<Form*> Forms() const;
    Form* ActiveForm() const { return active_; }

    Cursor GetCursor() const { return cursor_; }
    void SetCursor(Cursor cursor);

    DialogPort* Dialogs() const { return dialogs_; }
    // The port is not owned; the host keeps it alive while the application uses it.
    void SetDialogs(DialogPort* dialogs) { dialogs_ = dialogs; }

    // The port that runs blocking jobs: the host's, else one that runs them inline. The
    // host's port is not owned; null goes back to the inline one.
    JobPort& Jobs() const { return jobs_ != nullptr ? *jobs_ : inlineJobs_; }
    void SetJobs(JobPort* jobs) { jobs_ = jobs; }

    // The status line: a short text per part for the host to show; a change is announced
    // with StatusChanged. An empty text clears the part.
    const std::string& StatusText(StatusPart part) const;
    void ShowStatus(StatusPart part, std::string text);

    // The error report: shows the error's message through the dialog port, except for the
    // silent Abort, which is never reported.
    void HandleException(std::exception_ptr error) noexcept;
    // The event boundary: runs `action`, reporting what leaves it. When the outermost event
    // ends, the forms released meanwhile are destroyed.
    void RunEvent(const std::function<void()>& action) noexcept;
    // Destroys the forms released so far (the host calls it when idle).
    void ProcessMessages();

    int SubscribeApp(std::function<void(const Notification&)> observer);
    void UnsubscribeApp(int token);
    void Notify(const Notification& notification);

    // Run by the forms.
    void Activate(Form& form);
    void FormHidden(Form& form);
    // The form is destroyed when the outermost event ends, or by ProcessMessages; never
    // while code of the form may still be running.
    void ScheduleRelease(Form& form);
    void FormDestroyed(Form& form);

  private:
    void AdoptForm(std::unique_ptr<Form> form);

    std::vector<Form*> zOrder_;  // shown forms, the front one last
    std::vector<Form*> released_;
    Form* active_ = nullptr;
    Cursor cursor_ = Cursor::Default;
    DialogPort* dialogs_ = nullptr;
    JobPort* jobs_ = nullptr;
    mutable InlineJobPort inlineJobs_;
    std::string statusMessage_;
    std::string statusConnection_;
    int depth_ = 0;
    std::vector<std::pair<int, std::function<void(const Notification&)>>> appObservers_;
    int nextAppToken_ = 1;
};

}  // namespace platform

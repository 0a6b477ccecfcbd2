// The application object: forms, activation, cursor, the event boundary and error report.
#include "platform/app/Application.h"

#include <algorithm>
#include <iostream>

#include "platform/Exceptions.h"
#include "platform/app/DialogPort.h"

namespace platform {

Application::~Application() {
    appObservers_.clear();
    zOrder_.clear();
    released_.clear();
    active_ = nullptr;
    DestroyComponents();
}

Application& Application::Instance() {
    static Application application;
    return application;
}

void Application::AdoptForm(std::unique_ptr<Form> form) {
    Form* raw = form.get();
    InsertComponent(std::move(form));
    try {
        raw->DoCreate();
    } catch (...) {
        RemoveComponent(raw);
        throw;
    }
    Notify({AppEvent::FormCreated, raw});
}

std::vector<Form*> Application::Forms() const {
    std::vector<Form*> forms;
    for (std::size_t i = 0; i < ComponentCount(); ++i)
        if (auto* form = dynamic_cast<Form*>(Components(i))) forms.push_back(form);
    return forms;
}

void Application::SetCursor(Cursor cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    Notify({AppEvent::CursorChanged});
}

const std::string& Application::StatusText(StatusPart part) const {
    return part == StatusPart::Message ? statusMessage_ : statusConnection_;
}

void Application::ShowStatus(StatusPart part, std::string text) {
    std::string& slot = part == StatusPart::Message ? statusMessage_ : statusConnection_;
    slot = std::move(text);
    // Announced even when unchanged: the same message again ("Saldo gravado." twice) is news.
    Notify({AppEvent::StatusChanged});
}

void Application::HandleException(std::exception_ptr error) noexcept {
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const Abort&) {
        return;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Erro inesperado";
    }
    try {
        if (dialogs_ != nullptr)
            dialogs_->ShowError(message);
        else
            std::cerr << message << '\n';
    } catch (...) {
        std::cerr << message << '\n';
    }
}

void Application::RunEvent(const std::function<void()>& action) noexcept {
    ++depth_;
    try {
        action();
    } catch (...) {
        HandleException(std::current_exception());
    }
    --depth_;
    if (depth_ == 0) {
        try {
            ProcessMessages();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
}

void Application::ProcessMessages() {
    while (!released_.empty()) {
        Form* form = released_.front();
        released_.erase(released_.begin());
        Notify({AppEvent::FormReleased, form});
        RemoveComponent(form);
    }
}

int Application::SubscribeApp(std::function<void(const Notification&)> observer) {
    appObservers_.emplace_back(nextAppToken_, std::move(observer));
    return nextAppToken_++;
}

void Application::UnsubscribeApp(int token) {
    std::erase_if(appObservers_, [token](const auto& o) { return o.first == token; });
}

void Application::Notify(const Notification& notification) {
    const auto observers = appObservers_;
    for (const auto& [token, observer] : observers) observer(notification);
}

void Application::Activate(Form& form) {
    std::erase(zOrder_, &form);
    zOrder_.push_back(&form);
    Notify({AppEvent::FormBroughtForward, &form});
    if (active_ == &form) return;
    active_ = &form;
    Notify({AppEvent::FormActivated, &form});
    form.DoActivate();
}

void Application::FormHidden(Form& form) {
    std::erase(zOrder_, &form);
    Notify({AppEvent::FormHidden, &form});
    if (active_ != &form) return;
    active_ = nullptr;
    if (!zOrder_.empty()) Activate(*zOrder_.back());
}

void Application::ScheduleRelease(Form& form) {
    if (std::find(released_.begin(), released_.end(), &form) == released_.end())
        released_.push_back(&form);
}

void Application::FormDestroyed(Form& form) {
    std::erase(zOrder_, &form);
    std::erase(released_, &form);
    if (active_ == &form) active_ = nullptr;
}

}  // namespace platform

// A test application with scripted dialogs and an event trace, shared by the framework tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/app/Application.h"
#include "platform/ui/Control.h"
#include "tests/support/ScriptedDialogs.h"

namespace platform {

class FormFixture : public ::testing::Test {
  protected:
    FormFixture() { app.SetDialogs(&dialogs); }

    // Appends "<name>.enter" and "<name>.exit" to the trace.
    void TraceFocus(WinControl* control) {
        control->OnEnter = [this](Component* s) { Trace(s->Name() + ".enter"); };
        control->OnExit = [this](Component* s) { Trace(s->Name() + ".exit"); };
    }
    void Trace(const std::string& event) { trace += (trace.empty() ? "" : " ") + event; }
    std::string TakeTrace() { return std::exchange(trace, {}); }

    template <class T>
    T* Add(Form* form, WinControl* parent, const std::string& name) {
        T* control = form->Create<T>();
        control->SetName(name);
        control->SetParent(parent);
        return control;
    }

    // Declared before the application, so that they outlive its forms.
    std::string trace;
    testing::ScriptedDialogs dialogs;
    Application app;
};

}  // namespace platform

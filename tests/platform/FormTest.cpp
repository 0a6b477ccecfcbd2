// Forms through the application: creation, show and activation, window state, close and
// release, the cursor, and the notifications a renderer hears.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "platform/Exceptions.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"

namespace platform {
namespace {

class TracedForm : public Form {
  public:
    TracedForm(Application& app, std::string* trace, std::string tag) : Form(app) {
        SetName(tag);
        OnCreate = [trace, tag](Component*) { *trace += tag + ".create "; };
        OnShow = [trace, tag](Component*) { *trace += tag + ".show "; };
        OnActivate = [trace, tag](Component*) { *trace += tag + ".activate "; };
    }
};

class FormTest : public FormFixture {};

TEST_F(FormTest, CreateShowAndActivateRunInOrderAndActivationRepeats) {
    auto* a = app.CreateForm<TracedForm>(&trace, "a");
    EXPECT_EQ(a, app.FindComponent("a"));
    a->Show();
    auto* b = app.CreateForm<TracedForm>(&trace, "b");
    b->Show();
    EXPECT_EQ(b, app.ActiveForm());
    a->Show();  // already shown: only brought forward, and activated again
    b->UserActivate();
    b->BringToFront();  // already active: no activation
    EXPECT_EQ("a.create a.show a.activate b.create b.show b.activate a.activate b.activate ",
              trace);
    trace.clear();
    b->Hide();  // the form behind becomes active
    EXPECT_EQ("a.activate ", trace);
    EXPECT_EQ(a, app.ActiveForm());
    EXPECT_EQ(2u, app.Forms().size());
}

TEST_F(FormTest, ARaisingCreateHandlerFreesTheFormAndPropagates) {
    struct Failing : Form {
        explicit Failing(Application& a) : Form(a) {
            OnCreate = [](Component*) { throw Error("sem conexão"); };
        }
    };
    EXPECT_THROW(app.CreateForm<Failing>(), Error);
    EXPECT_TRUE(app.Forms().empty());
}

TEST_F(FormTest, CloseActionsAndReleaseAfterTheEvent) {
    auto* child = app.CreateForm<Form>();
    child->SetFormStyle(FormStyle::MDIChild);
    child->Show();
    child->UserClose();  // a multi-document child minimises by default
    EXPECT_EQ(WindowState::Minimized, child->State());
    child->SetWindowState(WindowState::Normal);

    child->OnClose = [](Component*, CloseAction& action) { action = CloseAction::None; };
    child->UserClose();
    EXPECT_TRUE(child->Visible());

    auto* edit = child->Create<Edit>();
    edit->SetParent(child);
    bool stillAlive = false;
    child->OnClose = [&](Component*, CloseAction& action) {
        action = CloseAction::Free;
        edit->SetText("x");  // the form is still whole while its handlers run
    };
    edit->OnChange = [&](Component*) {
        child->Close();
        stillAlive = app.Forms().size() == 1;  // released only when the event ends
    };
    edit->UserType("y");
    EXPECT_TRUE(stillAlive);
    EXPECT_TRUE(app.Forms().empty());
    EXPECT_EQ(nullptr, app.ActiveForm());
}

TEST_F(FormTest, ProgrammaticCloseReleasesOnProcessMessages) {
    auto* form = app.CreateForm<Form>();
    form->OnClose = [](Component*, CloseAction& action) { action = CloseAction::Free; };
    form->Show();
    form->Close();
    EXPECT_EQ(1u, app.Forms().size());
    app.ProcessMessages();
    EXPECT_TRUE(app.Forms().empty());
}

TEST_F(FormTest, RendererHearsTheFormLifecycleCursorAndFocus) {
    std::vector<std::string> heard;
    app.SubscribeApp([&](const Notification& n) {
        switch (n.event) {
            case AppEvent::FormCreated:
                heard.push_back("created");
                break;
            case AppEvent::FormShown:
                heard.push_back("shown");
                break;
            case AppEvent::FormHidden:
                heard.push_back("hidden");
                break;
            case AppEvent::FormBroughtForward:
                heard.push_back("front");
                break;
            case AppEvent::FormActivated:
                heard.push_back("active");
                break;
            case AppEvent::FormReleased:
                heard.push_back("released");
                break;
            case AppEvent::WindowStateChanged:
                heard.push_back("state");
                break;
            case AppEvent::FocusMoved:
                heard.push_back("focus " + (n.component ? n.component->Name() : std::string("-")));
                break;
            case AppEvent::CursorChanged:
                heard.push_back("cursor");
                break;
            case AppEvent::PropertyChanged:
                if (n.property == Property::Text) heard.push_back("text " + n.component->Name());
                break;
            case AppEvent::StatusChanged:
                heard.push_back("status");
                break;
        }
    });
    app.SetCursor(Cursor::HourGlass);
    auto* form = app.CreateForm<Form>();
    auto* edit = form->Create<Edit>();
    edit->SetName("edt");
    edit->SetParent(form);
    form->Show();
    form->SetWindowState(WindowState::Maximized);
    edit->SetText("a");
    app.SetCursor(Cursor::Default);
    form->OnClose = [](Component*, CloseAction& action) { action = CloseAction::Free; };
    form->UserClose();
    const std::vector<std::string> expected{"cursor", "created",   "shown",   "front",
                                            "active", "focus edt", "state",   "text edt",
                                            "cursor", "hidden",    "released"};
    EXPECT_EQ(expected, heard);
}

}  // namespace
}  // namespace platform

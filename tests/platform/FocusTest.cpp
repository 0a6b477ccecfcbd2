// The focus manager: exit/enter order through containers, refused moves, tab order.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "platform/Exceptions.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"
#include "platform/ui/Label.h"
#include "platform/ui/PageControl.h"
#include "platform/ui/Panel.h"

namespace platform {
namespace {

// panel { edit1, check, inner { edit2 } }, edit3
class FocusTest : public FormFixture {
  protected:
    void SetUp() override {
        form = app.CreateForm<Form>();
        panel = Add<Panel>(form, form, "panel");
        edit1 = Add<Edit>(form, panel, "edit1");
        check = Add<CheckBox>(form, panel, "check");
        Add<Label>(form, panel, "label");
        inner = Add<Panel>(form, panel, "inner");
        edit2 = Add<Edit>(form, inner, "edit2");
        edit3 = Add<Edit>(form, form, "edit3");
        for (WinControl* c :
             std::initializer_list<WinControl*>{panel, edit1, check, inner, edit2, edit3})
            TraceFocus(c);
    }

    Form* form = nullptr;
    Panel* panel = nullptr;
    Panel* inner = nullptr;
    Edit* edit1 = nullptr;
    Edit* edit2 = nullptr;
    Edit* edit3 = nullptr;
    CheckBox* check = nullptr;
};

TEST_F(FocusTest, ShowFocusesTheFirstTabStopEnteringItsContainersOutermostFirst) {
    form->Show();
    EXPECT_EQ(edit1, form->ActiveControl());
    EXPECT_EQ("panel.enter edit1.enter", TakeTrace());
}

TEST_F(FocusTest, LeavingAndEnteringContainersRunsInnermostExitsThenOutermostEnters) {
    form->Show();
    TakeTrace();
    edit2->UserFocus();
    EXPECT_EQ("edit1.exit inner.enter edit2.enter", TakeTrace());
    edit3->UserFocus();
    EXPECT_EQ("edit2.exit inner.exit panel.exit edit3.enter", TakeTrace());
    edit2->UserFocus();
    EXPECT_EQ("edit3.exit panel.enter inner.enter edit2.enter", TakeTrace());
    check->UserFocus();
    EXPECT_EQ("edit2.exit inner.exit check.enter", TakeTrace());
    check->UserFocus();  // already there: nothing runs
    EXPECT_EQ("", TakeTrace());
}

TEST_F(FocusTest, AnExitHandlerThatRaisesStopsTheMoveAndIsReported) {
    form->Show();
    TakeTrace();
    edit1->OnExit = [this](Component*) {
        Trace("edit1.exit");
        throw Error("Código inválido");
    };
    dialogs.ExpectError("Código inválido");
    edit3->UserFocus();
    EXPECT_EQ("edit1.exit", TakeTrace());  // no panel exit, no enter
    EXPECT_EQ(edit1, form->ActiveControl());

    // A container's exit refusing keeps the focus inside it as well.
    edit1->OnExit = nullptr;
    panel->OnExit = [this](Component*) {
        Trace("panel.exit");
        throw Abort();  // silent: no dialog expected
    };
    edit3->UserFocus();
    EXPECT_EQ("panel.exit", TakeTrace());
    EXPECT_EQ(edit1, form->ActiveControl());
}

TEST_F(FocusTest, TheFocusStaysWhereTheRaisingHandlerPutIt) {
    form->Show();
    TakeTrace();
    edit1->OnExit = [this](Component*) {
        Trace("edit1.exit");
        check->SetFocus();
        throw Abort();
    };
    edit3->UserFocus();
    EXPECT_EQ("edit1.exit", TakeTrace());
    EXPECT_EQ(check, form->ActiveControl());
}

TEST_F(FocusTest, AFocusRequestFromAnEnterHandlerRunsAfterTheMove) {
    form->Show();
    TakeTrace();
    edit3->OnEnter = [this](Component*) {
        Trace("edit3.enter");
        edit2->SetFocus();
    };
    edit3->UserFocus();
    EXPECT_EQ("edit1.exit panel.exit edit3.enter edit3.exit panel.enter inner.enter edit2.enter",
              TakeTrace());
    EXPECT_EQ(edit2, form->ActiveControl());
}

TEST_F(FocusTest, DisabledOrHiddenControlsNeverTakeTheFocus) {
    form->Show();
    TakeTrace();
    edit3->SetEnabled(false);
    edit3->UserFocus();
    EXPECT_THROW(edit3->SetFocus(), Error);
    inner->SetVisible(false);  // hides edit2 with it
    edit2->UserFocus();
    EXPECT_EQ("", TakeTrace());
    EXPECT_EQ(edit1, form->ActiveControl());

    form->UserTab();  // edit1 -> check
    form->UserTab();  // -> wraps to edit1: edit2 hidden, edit3 disabled
    EXPECT_EQ(edit1, form->ActiveControl());
    EXPECT_EQ("edit1.exit check.enter check.exit edit1.enter", TakeTrace());
}

TEST_F(FocusTest, TabFollowsTabOrderThroughContainersBothWays) {
    form->Show();
    edit1->SetTabOrder(5);  // now last inside the panel
    std::string order;
    for (int i = 0; i < 4; ++i) {
        form->UserTab();
        order += form->ActiveControl()->Name() + " ";
    }
    EXPECT_EQ("edit3 check edit2 edit1 ", order);
    form->UserTab(true);
    EXPECT_EQ(edit2, form->ActiveControl());
}

TEST_F(FocusTest, AControlWithoutAFormIsAProgrammingError) {
    Component owner;
    auto* loose = owner.Create<Edit>();
    EXPECT_THROW(loose->UserFocus(), Error);
    EXPECT_THROW(loose->SetFocus(), Error);
    EXPECT_THROW(loose->UserType("x"), Error);
}

TEST_F(FocusTest, SwitchingPagesMovesTheFocusOffTheHiddenPage) {
    auto* pages = Add<PageControl>(form, form, "pages");
    auto* sheet1 = Add<TabSheet>(form, pages, "sheet1");
    auto* sheet2 = Add<TabSheet>(form, pages, "sheet2");
    auto* onFirst = Add<Edit>(form, sheet1, "onFirst");
    auto* onSecond = Add<Edit>(form, sheet2, "onSecond");
    TraceFocus(onFirst);
    TraceFocus(onSecond);
    EXPECT_EQ(sheet1, pages->ActivePage());
    form->Show();
    onSecond->UserFocus();  // on the hidden page: nothing
    onFirst->UserFocus();
    TakeTrace();

    sheet2->SetEnabled(false);
    pages->UserSelectPage(sheet2);  // a disabled page cannot be picked by the user
    EXPECT_EQ(sheet1, pages->ActivePage());
    pages->SetActivePage(sheet2);  // code may
    EXPECT_EQ(sheet2, pages->ActivePage());
    EXPECT_EQ("onFirst.exit", TakeTrace());  // the disabled page offers no tab stop
    EXPECT_EQ(pages, form->ActiveControl());

    sheet2->SetEnabled(true);
    pages->SetActivePage(sheet1);
    onFirst->UserFocus();
    TakeTrace();
    pages->UserSelectPage(sheet2);
    EXPECT_EQ("onFirst.exit onSecond.enter", TakeTrace());
    EXPECT_EQ(onSecond, form->ActiveControl());
}

}  // namespace
}  // namespace platform

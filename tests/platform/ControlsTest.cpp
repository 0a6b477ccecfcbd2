// Control kinds: events on programmatic and user changes, and input methods that cannot
// apply doing nothing.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "platform/Exceptions.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Panel.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/ToolButton.h"

namespace platform {
namespace {

class ControlsTest : public FormFixture {
  protected:
    void SetUp() override {
        form = app.CreateForm<Form>();
        panel = Add<Panel>(form, form, "panel");
        edit = Add<Edit>(form, panel, "edit");
        check = Add<CheckBox>(form, panel, "check");
        radio = Add<RadioGroup>(form, panel, "radio");
        radio->SetItems({"Fornecedores", "Clientes", "Bancos"});
        radio->SetItemIndex(0);
        check->OnClick = [this](Component* s) {
            Trace("click(" + std::string(static_cast<CheckBox*>(s)->Checked() ? "on" : "off") +
                  ")");
        };
        edit->OnChange = [this](Component* s) {
            Trace("change(" + static_cast<Edit*>(s)->Text() + ")");
        };
        radio->OnClick = [this](Component*) {
            Trace("radio(" + std::to_string(radio->ItemIndex()) + ")");
        };
        form->Show();
    }

    Form* form = nullptr;
    Panel* panel = nullptr;
    Edit* edit = nullptr;
    CheckBox* check = nullptr;
    RadioGroup* radio = nullptr;
};

TEST_F(ControlsTest, CheckBoxRunsItsClickOnEveryStateChangeByCodeOrByUser) {
    check->SetChecked(true);
    check->SetChecked(true);  // no change: no click
    check->SetChecked(false);
    check->UserToggle();
    EXPECT_EQ("click(on) click(off) click(on)", TakeTrace());
    EXPECT_EQ(check, form->ActiveControl());

    check->SetEnabled(false);
    check->UserToggle();
    panel->SetEnabled(true);
    check->SetEnabled(true);
    panel->SetEnabled(false);  // a disabled container disables what it holds
    check->UserToggle();
    EXPECT_EQ("", TakeTrace());
    EXPECT_TRUE(check->Checked());
}

TEST_F(ControlsTest, AClickWhoseFocusMoveIsRefusedDoesNotToggle) {
    edit->OnExit = [](Component*) { throw Abort(); };
    ASSERT_EQ(edit, form->ActiveControl());
    check->UserToggle();
    EXPECT_FALSE(check->Checked());
    EXPECT_EQ("", TakeTrace());
}

TEST_F(ControlsTest, EditFiresChangeForTypedAndProgrammaticText) {
    edit->SetText("ab");
    edit->UserType("c\b\bé");
    edit->UserSetText("xy");
    EXPECT_EQ(
        "change(ab) change(abc) change(ab) change(a) change(aé) change() change(x) change(xy)",
        TakeTrace());
}

TEST_F(ControlsTest, EditKeyPressMayDiscardKeysAndMaxLengthCountsCharacters) {
    edit->OnKeyPress = [](Component*, char32_t& key) {
        if (key == U'x') key = 0;
    };
    edit->SetMaxLength(3);
    edit->UserType("xNãoo");
    EXPECT_EQ("Não", edit->Text());
    edit->SetText("abcdef");  // longer than the limit: cut, never overflowing
    EXPECT_EQ("abc", edit->Text());
    edit->SetReadOnly(true);
    edit->UserType("z");
    EXPECT_EQ("abc", edit->Text());
}

TEST_F(ControlsTest, RadioGroupClickRunsOnlyForUserChangesToKnownItems) {
    radio->SetItemIndex(2);  // by code: no click
    radio->UserSelect(1);
    radio->UserSelect(1);  // same item: nothing
    radio->UserSelect(3);  // unknown: nothing
    radio->UserSelect(-1);
    EXPECT_EQ("radio(1)", TakeTrace());
    EXPECT_EQ(1, radio->ItemIndex());
    EXPECT_THROW(radio->SetItemIndex(3), Error);
    radio->SetColumns(3);
    EXPECT_EQ(3, radio->Columns());
}

TEST_F(ControlsTest, ToolButtonsAndMenuEntriesClickOnlyWhenUsable) {
    auto* button = Add<ToolButton>(form, panel, "sbt");
    button->OnClick = [this](Component* s) { Trace(s->Name()); };
    auto* menu = form->Create<MainMenu>();
    form->SetMenu(menu);
    auto* top = form->Create<MenuItem>();
    top->SetName("mnuTop");
    auto* entry = form->Create<MenuItem>();
    entry->SetName("mnuEntry");
    auto* line = form->Create<MenuItem>();
    line->SetCaption("-");
    menu->Add(top);
    top->Add(entry);
    top->Add(line);
    entry->OnClick = [this](Component* s) { Trace(s->Name()); };
    line->OnClick = [this](Component*) { Trace("separator"); };

    button->Click();
    entry->Click();
    line->Click();
    button->SetEnabled(false);
    button->Click();
    top->SetEnabled(false);  // a disabled parent entry blocks its children
    entry->Click();
    top->SetEnabled(true);
    entry->SetVisible(false);
    entry->Click();
    EXPECT_EQ("sbt mnuEntry", TakeTrace());
    EXPECT_EQ(edit, form->ActiveControl());  // a tool button never takes the focus
    EXPECT_TRUE(line->IsSeparator());
    EXPECT_THROW(top->Add(top), Error);
}

TEST_F(ControlsTest, AnErrorLeavingAClickHandlerIsReportedAndAbortIsNot) {
    auto* button = Add<ToolButton>(form, panel, "sbt");
    button->OnClick = [](Component*) { throw Error("Falhou"); };
    dialogs.ExpectError("Falhou");
    button->Click();
    button->OnClick = [](Component*) { throw Abort(); };
    button->Click();
    button->OnClick = [](Component*) { throw 42; };
    dialogs.ExpectError("Erro inesperado");
    button->Click();
    EXPECT_EQ((std::vector<std::string>{"error: Falhou", "error: Erro inesperado"}), dialogs.Log());
}

}  // namespace
}  // namespace platform

// What the keyboard reaches in the framework: arrow keys in a radio group run the same
// focus move and click as a mouse click, and shortcut keys of commands are checked texts.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "platform/Exceptions.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Panel.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/ShortCut.h"
#include "platform/ui/ToolButton.h"

namespace platform {
namespace {

class KeyboardTest : public FormFixture {
  protected:
    void SetUp() override {
        form = app.CreateForm<Form>();
        edit = Add<Edit>(form, form, "edit");
        panel = Add<Panel>(form, form, "panel");
        radio = Add<RadioGroup>(form, panel, "radio");
        radio->SetItems({"Fornecedores", "Clientes", "Bancos"});
        radio->SetItemIndex(0);
        TraceFocus(edit);
        TraceFocus(panel);
        TraceFocus(radio);
        radio->OnClick = [this](Component*) {
            Trace("click(" + std::to_string(radio->ItemIndex()) + ")");
        };
        form->Show();
        TakeTrace();
    }

    Form* form = nullptr;
    Edit* edit = nullptr;
    Panel* panel = nullptr;
    RadioGroup* radio = nullptr;
};

TEST_F(KeyboardTest, ArrowsInARadioGroupFocusItThenSelectTheNeighbourWrappingAtTheEnds) {
    radio->UserStep(false);
    EXPECT_EQ(TakeTrace(), "edit.exit panel.enter radio.enter click(1)");
    radio->UserStep(false);
    radio->UserStep(false);  // past the last item: the first again
    EXPECT_EQ(TakeTrace(), "click(2) click(0)");
    radio->UserStep(true);  // before the first: the last
    EXPECT_EQ(TakeTrace(), "click(2)");
    EXPECT_EQ(radio->ItemIndex(), 2);

    radio->SetItemIndex(-1);
    radio->UserStep(true);
    EXPECT_EQ(radio->ItemIndex(), 2);
    radio->SetItemIndex(-1);
    radio->UserStep(false);
    EXPECT_EQ(radio->ItemIndex(), 0);
}

TEST_F(KeyboardTest, AnArrowWhoseFocusMoveIsRefusedSelectsNothing) {
    edit->OnExit = [](Component*) { throw Error("Empresa deve ser informada."); };
    dialogs.ExpectError("Empresa deve ser informada.");
    radio->UserStep(false);
    EXPECT_EQ(radio->ItemIndex(), 0);
    EXPECT_EQ(form->ActiveControl(), edit);
    EXPECT_EQ(dialogs.Errors(), (std::vector<std::string>{"Empresa deve ser informada."}));
    EXPECT_EQ(TakeTrace(), "");

    radio->SetItems({});
    radio->UserStep(false);  // no items: nothing, not even a focus move
    EXPECT_EQ(form->ActiveControl(), edit);
}

TEST_F(KeyboardTest, ShortCutTextsAreNormalisedAndAnythingElseIsRefused) {
    EXPECT_EQ(NormalizeShortCut(""), "");
    EXPECT_EQ(NormalizeShortCut("ctrl+n"), "Ctrl+N");
    EXPECT_EQ(NormalizeShortCut("shift+CTRL+del"), "Ctrl+Shift+Del");
    EXPECT_EQ(NormalizeShortCut("f5"), "F5");
    EXPECT_EQ(NormalizeShortCut("Alt+F24"), "Alt+F24");
    EXPECT_EQ(NormalizeShortCut("ctrl+pgdown"), "Ctrl+PgDown");
    EXPECT_EQ(NormalizeShortCut("Ctrl+1"), "Ctrl+1");
    for (const char* bad : {"Ctrl+", "+N", "Ctrl+Ctrl+N", "Ctrl+Foo", "F0", "F25", "F05", "N+Ctrl",
                            "Ctrl+N+M", "Hyper+N", "Ctrl++"})
        EXPECT_THROW(NormalizeShortCut(bad), Error) << bad;
}

TEST_F(KeyboardTest, CommandsCarryTheirKeyAndPictureAndAnnounceChanges) {
    auto* button = Add<ToolButton>(form, panel, "sbtIncluir");
    auto* entry = form->Create<MenuItem>();
    std::vector<Property> heard;
    button->Subscribe([&](Component&, Property p) { heard.push_back(p); });
    entry->Subscribe([&](Component&, Property p) { heard.push_back(p); });

    entry->SetShortCut("ctrl+n");
    entry->SetShortCut("Ctrl+N");  // the same key: no news
    button->SetShortCut("CTRL+N");
    button->SetImageName("list-add");
    button->SetImageName("list-add");
    EXPECT_EQ(entry->ShortCut(), "Ctrl+N");
    EXPECT_EQ(button->ShortCut(), "Ctrl+N");
    EXPECT_EQ(button->ImageName(), "list-add");
    EXPECT_EQ(heard,
              (std::vector<Property>{Property::ShortCut, Property::ShortCut, Property::ImageName}));

    EXPECT_THROW(entry->SetShortCut("Ctrl+Enterr"), Error);
    EXPECT_EQ(entry->ShortCut(), "Ctrl+N");  // a refused text leaves the key as it was
}

}  // namespace
}  // namespace platform

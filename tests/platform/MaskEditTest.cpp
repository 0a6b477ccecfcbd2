// The masked edit: typing through the mask and the change event on typed and programmatic
// changes.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "platform/Exceptions.h"
#include "platform/ui/Form.h"
#include "platform/ui/MaskEdit.h"

namespace platform {
namespace {

class MaskEditTest : public FormFixture {
  protected:
    void SetUp() override {
        form = app.CreateForm<Form>();
        edit = Add<MaskEdit>(form, form, "med");
        edit->OnChange = [this](Component*) { Trace("[" + edit->Text() + "]"); };
        form->Show();
    }
    Form* form = nullptr;
    MaskEdit* edit = nullptr;
};

TEST_F(MaskEditTest, MonthMaskRightAlignsAShortMonthAndKeepsTheSeparator) {
    edit->SetEditMask("!99/0000;1;_");
    EXPECT_EQ("__/____", edit->EditText());
    EXPECT_EQ("", edit->Text());
    edit->UserType("3/2024");
    EXPECT_EQ("3_/2024", edit->EditText());
    EXPECT_EQ(" 3/2024", edit->Text());
    // With "!" only leading blanks are trimmed: the unfilled year shows as spaces.
    EXPECT_EQ("[ 3/    ] [ 3/2   ] [ 3/20  ] [ 3/202 ] [ 3/2024]", TakeTrace());

    edit->UserSetText("03x2024");  // the letter is refused by the mask
    EXPECT_EQ("03/2024", edit->Text());
    edit->UserType("\b\b");
    EXPECT_EQ("03/20__", edit->EditText());
    TakeTrace();
    edit->SetText("12/2023");  // by code: placed into the mask, change fired
    EXPECT_EQ("12/2023", edit->EditText());
    EXPECT_EQ("[12/2023]", TakeTrace());
}

TEST_F(MaskEditTest, CompanyCodeMaskDropsBlanksAndTakesOnlyTwoDigits) {
    edit->SetEditMask("99;0; ");
    edit->SetMaxLength(2);
    edit->UserType("5");
    EXPECT_EQ("5", edit->Text());
    edit->UserType("a27");
    EXPECT_EQ("52", edit->Text());
    edit->UserSetText("");
    EXPECT_EQ("", edit->Text());
    EXPECT_EQ("[5] [52] []", TakeTrace());
}

TEST_F(MaskEditTest, KeyPressRunsBeforeTheMaskAndABadMaskIsRefused) {
    edit->SetEditMask("99;0; ");
    edit->OnKeyPress = [](Component*, char32_t& key) {
        if (key == U'1') key = U'7';
    };
    edit->UserType("1");
    EXPECT_EQ("7", edit->Text());
    EXPECT_THROW(edit->SetEditMask("99\\"), Error);
    EXPECT_EQ("99;0; ", edit->EditMask());
    EXPECT_EQ("7", edit->Text());
}

}  // namespace
}  // namespace platform

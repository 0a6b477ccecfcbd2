// The data grid over a real record set: columns and options, the switched-off link, the
// in-place editor path (key filter, edit mask, get/set-text hooks, refused writes), rows
// added and dropped through the grid's keys, the ellipsis, and FocusControl.
#include <gtest/gtest.h>

#include <algorithm>

#include "FormFixture.h"
#include "platform/Exceptions.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"
#include "platform/ui/PageControl.h"

namespace platform {
namespace {

class GridTest : public FormFixture {
  protected:
    void SetUp() override {
        set.AddField("CODE", FieldType::String, 3).SetVisible(false);
        set.AddField("NAME", FieldType::String, 10).SetDisplayLabel("Nome");
        set.AddField("MONTH", FieldType::String, 7).SetEditMask("!99/0000;1;_");
        set.AddField("VALUE", FieldType::Double);
        set.CreateDataSet();
        set.AddRow({std::string("001"), std::string("Ana"), std::string("01/2024"), 10.0});
        set.AddRow({std::string("002"), std::string("Bia"), std::string("02/2024"), 20.0});
        source.SetDataSet(&set);

        form = app.CreateForm<Form>();
        grid = Add<DBGrid>(form, form, "grid");
        other = Add<Edit>(form, form, "other");
        grid->SetDataSource(&source);
        grid->SetOptions(3829);
        form->Show();
        ASSERT_EQ(grid, form->ActiveControl());
    }

    std::string Names() const {
        std::string names;
        for (int r = 0; r < grid->RowCount(); ++r) names += grid->CellText(r, 0) + ";";
        return names;
    }

    ClientDataSet set{"cds"};
    DataSource source;
    Form* form = nullptr;
    DBGrid* grid = nullptr;
    Edit* other = nullptr;
};

TEST_F(GridTest, ColumnsFollowTheVisibleFieldsAndOptionsReadAsABitSet) {
    ASSERT_EQ(3u, grid->ColumnCount());
    EXPECT_EQ("NAME", grid->Columns(0).FieldName());
    EXPECT_EQ("Nome", grid->Columns(0).TitleCaption());
    EXPECT_EQ("MONTH", grid->Columns(1).TitleCaption());
    EXPECT_EQ(10, grid->Columns(0).Width());
    EXPECT_EQ("Ana;Bia;", Names());
    EXPECT_EQ(2, grid->ColumnIndexOf("VALUE"));

    for (GridOption on : {dgEditing, dgTitles, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                          dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit})
        EXPECT_TRUE(grid->HasOption(on)) << on;
    for (GridOption off : {dgAlwaysShowEditor, dgIndicator, dgRowSelect, dgMultiSelect})
        EXPECT_FALSE(grid->HasOption(off)) << off;

    set.FieldByName("CODE").SetVisible(true);  // the columns follow
    ASSERT_EQ(4u, grid->ColumnCount());
    EXPECT_EQ("CODE", grid->Columns(0).FieldName());
}

TEST_F(GridTest, ASwitchedOffLinkShowsNothingAndTakesNoInput) {
    grid->Columns(1).SetButtonStyle(ColumnButtonStyle::Ellipsis);
    grid->UserSelectCell(0, 0);
    grid->UserType("Z");
    ASSERT_TRUE(grid->EditorOpen());
    source.SetEnabled(false);
    EXPECT_FALSE(grid->EditorOpen());
    EXPECT_EQ(0, grid->RowCount());
    EXPECT_EQ("", grid->CellText(0, 0));
    EXPECT_EQ(nullptr, grid->SelectedField());
    grid->UserType("x");
    grid->UserKey(GridKey::Insert);
    EXPECT_EQ(2, set.RecordCount());

    source.SetEnabled(true);
    EXPECT_EQ("Ana;Bia;", Names());
    // Columns of the same fields keep their settings across the switch.
    EXPECT_EQ(ColumnButtonStyle::Ellipsis, grid->Columns(1).ButtonStyle());
}

TEST_F(GridTest, TypedKeysPassTheKeyFilterThenOpenTheEditorOverTheWholeText) {
    grid->OnKeyPress = [this](Component*, char32_t& key) {
        Trace("key(" + std::string(1, static_cast<char>(key)) + ")");
        if (key == U'x') key = 0;
    };
    std::vector<bool> asked;  // the get-text hook's display flag, editor reads are false
    set.FieldByName("NAME").OnGetText = [&asked](Field& f, std::string& text, bool display) {
        text = f.AsString();
        asked.push_back(display);
    };
    set.FieldByName("NAME").OnSetText = [this](Field& f, const std::string& text) {
        Trace("set-text(" + text + ")");
        f.SetAsString(text);
    };
    grid->UserType("Cxlo\r");
    EXPECT_EQ("key(C) key(x) key(l) key(o) key(\r) set-text(Clo)", TakeTrace());
    EXPECT_NE(asked.end(), std::find(asked.begin(), asked.end(), false));
    EXPECT_FALSE(grid->EditorOpen());  // Enter wrote back and closed the editor
    EXPECT_EQ(DataSetState::Edit, set.State());
    EXPECT_EQ("Clo", set.FieldByName("NAME").AsString());

    grid->UserKey(GridKey::F2);  // F2 opens without selecting: typing appends
    grid->UserType("\bé");
    EXPECT_EQ("Clé", grid->EditorText());
}

TEST_F(GridTest, TheEditorTypesThroughTheFieldsEditMask) {
    grid->UserSelectField("MONTH");
    grid->UserType("3");
    EXPECT_EQ("3_/____", grid->EditorText());
    grid->UserType("/2024");
    grid->UserKey(GridKey::Tab);
    EXPECT_EQ(" 3/2024", set.FieldByName("MONTH").AsString());
    EXPECT_EQ(2, grid->SelectedIndex());
    EXPECT_FALSE(grid->EditorOpen());
}

TEST_F(GridTest, ARefusedWriteKeepsTheEditorWithTheUsersTextSelectedAndIsReported) {
    set.FieldByName("NAME").OnSetText = [](Field& f, const std::string& text) {
        if (text.size() < 3) throw Error("Nome curto");
        f.SetAsString(text);
    };
    grid->UserType("Al");
    dialogs.ExpectError("Nome curto");
    grid->UserKey(GridKey::Tab);
    EXPECT_TRUE(grid->EditorOpen());
    EXPECT_EQ("Al", grid->EditorText());
    EXPECT_EQ(0, grid->SelectedIndex());
    EXPECT_EQ("Ana", set.FieldByName("NAME").AsString());

    dialogs.ExpectError("Nome curto");
    other->UserFocus();  // leaving the grid writes back too, and is refused the same way
    EXPECT_EQ(grid, form->ActiveControl());
    EXPECT_EQ("Al", grid->EditorText());

    // The refused text is selected: typing would replace it; F2 keeps it for changing.
    EXPECT_TRUE(grid->EditorSelected());
    grid->UserKey(GridKey::F2);
    EXPECT_FALSE(grid->EditorSelected());
    grid->UserType("i");
    grid->UserKey(GridKey::Tab);
    EXPECT_EQ("Ali", set.FieldByName("NAME").AsString());
    EXPECT_EQ(1, grid->SelectedIndex());
}

TEST_F(GridTest, ReadOnlyGridOrRowSelectionTakesNoTyping) {
    grid->SetReadOnly(true);
    grid->UserType("Z");
    EXPECT_FALSE(grid->EditorOpen());
    EXPECT_EQ(DataSetState::Browse, set.State());
    grid->SetReadOnly(false);
    grid->SetOptions(grid->Options() | dgRowSelect);
    EXPECT_EQ(nullptr, grid->SelectedField());
    grid->UserType("Z");
    grid->UserKey(GridKey::F2);
    EXPECT_FALSE(grid->EditorOpen());
    EXPECT_EQ("Ana;Bia;", Names());
}

// The set's own switch: the grid closes an editor the set no longer takes and the navigator
// offers no change, both told at once.
TEST_F(GridTest, ASetMadeReadOnlyTellsItsControlsAndTakesNoChangeFromThem) {
    auto* navigator = Add<DBNavigator>(form, form, "navigator");
    navigator->SetDataSource(&source);
    int navigatorChanges = 0;
    const int token = app.SubscribeApp([&](const Notification& n) {
        if (n.component == navigator && n.property == Property::GridData) ++navigatorChanges;
    });
    grid->UserKey(GridKey::F2);
    ASSERT_TRUE(grid->EditorOpen());
    ASSERT_TRUE(navigator->ButtonEnabled(NavigateButton::Insert));

    set.SetReadOnly(true);
    EXPECT_FALSE(grid->EditorOpen());
    EXPECT_GT(navigatorChanges, 0);
    for (auto button : {NavigateButton::Insert, NavigateButton::Edit, NavigateButton::Delete})
        EXPECT_FALSE(navigator->ButtonEnabled(button));
    grid->UserType("Zé\r");
    grid->UserKey(GridKey::Insert);
    grid->UserKey(GridKey::CtrlDelete);
    navigator->Click(NavigateButton::Delete);
    EXPECT_EQ(DataSetState::Browse, set.State());
    EXPECT_EQ("Ana;Bia;", Names());

    set.SetReadOnly(false);
    EXPECT_TRUE(navigator->ButtonEnabled(NavigateButton::Insert));
    grid->UserType("Zé\r");
    EXPECT_EQ("Zé;Bia;", Names());
    app.UnsubscribeApp(token);
}

TEST_F(GridTest, InsertAndDownAddRowsAndAnUntouchedNewRowIsCancelledOnExit) {
    set.OnNewRecord = [this](ClientDataSet& s) {
        Trace("new-record");
        s.FieldByName("VALUE").SetAsFloat(0);
    };
    grid->UserSelectCell(1, 0);
    grid->UserKey(GridKey::Insert);
    EXPECT_EQ(DataSetState::Insert, set.State());
    EXPECT_EQ(1, grid->Row());  // before the row that was current
    EXPECT_EQ("Ana;;Bia;", Names());
    other->UserFocus();
    EXPECT_EQ(DataSetState::Browse, set.State());
    EXPECT_EQ("Ana;Bia;", Names());

    grid->UserSelectCell(1, 0);
    grid->UserKey(GridKey::Down);  // past the last row: appends
    grid->UserKey(GridKey::Down);  // an untouched new row appends no other
    EXPECT_EQ(3, grid->RowCount());
    grid->UserType("Cid");
    grid->UserPost();
    EXPECT_EQ(DataSetState::Browse, set.State());
    EXPECT_EQ("Ana;Bia;Cid;", Names());
    EXPECT_EQ("new-record new-record", TakeTrace());
}

TEST_F(GridTest, EscapeRevertsTheEditorThenCancelsTheRow) {
    grid->UserType("Zé");
    grid->UserKey(GridKey::Escape);
    EXPECT_EQ("Ana", grid->EditorText());
    EXPECT_EQ(DataSetState::Edit, set.State());
    grid->UserKey(GridKey::Escape);
    EXPECT_FALSE(grid->EditorOpen());
    EXPECT_EQ(DataSetState::Browse, set.State());
    EXPECT_EQ("Ana;Bia;", Names());
}

TEST_F(GridTest, CtrlDeleteAsksFirst) {
    dialogs.Answer(mrCancel);
    grid->UserKey(GridKey::CtrlDelete);
    EXPECT_EQ(2, set.RecordCount());
    dialogs.Answer(mrOk);
    grid->UserKey(GridKey::CtrlDelete);
    EXPECT_EQ("Bia;", Names());
    EXPECT_EQ((std::vector<std::string>{"ask: Excluir registro?", "ask: Excluir registro?"}),
              dialogs.Log());
}

TEST_F(GridTest, TheEllipsisRaisesTheEditButtonEventOnlyOnItsColumn) {
    grid->Columns(1).SetButtonStyle(ColumnButtonStyle::Ellipsis);
    grid->OnEditButtonClick = [this](Component*) {
        Trace("button(" + grid->SelectedField()->FieldName() + ")");
    };
    grid->UserEditButtonClick();  // NAME: no button
    grid->UserSelectField("MONTH");
    grid->UserEditButtonClick();
    EXPECT_EQ("button(MONTH)", TakeTrace());
}

TEST_F(GridTest, TabWalksTheCellsRowByRowThenLeavesTheGrid) {
    std::string cells;
    for (int i = 0; i < 6; ++i) {
        cells += std::to_string(grid->Row()) + ":" + std::to_string(grid->SelectedIndex()) + " ";
        grid->UserKey(GridKey::Tab);
    }
    EXPECT_EQ("0:0 0:1 0:2 1:0 1:1 1:2 ", cells);
    EXPECT_EQ(other, form->ActiveControl());
    form->UserTab(true);  // back into the grid
    EXPECT_EQ(grid, form->ActiveControl());
}

TEST_F(GridTest, APostByCodeWritesTheOpenEditorFirst) {
    grid->UserType("Eva");
    set.Post();
    EXPECT_EQ("Eva", set.FieldByName("NAME").AsString());
    EXPECT_FALSE(grid->EditorOpen());
}

TEST_F(GridTest, FocusControlSelectsTheColumnOfAGridThatCanTakeTheFocus) {
    auto* pages = Add<PageControl>(form, form, "pages");
    auto* shown = Add<TabSheet>(form, pages, "shown");
    auto* hidden = Add<TabSheet>(form, pages, "hidden");
    auto* hiddenGrid = Add<DBGrid>(form, hidden, "hiddenGrid");
    hiddenGrid->SetDataSource(&source);
    (void)shown;
    grid->SetDataSource(nullptr);  // rebound: now asked after the hidden grid
    grid->SetDataSource(&source);
    other->UserFocus();
    // The first grid bound (on a hidden page) cannot take the focus and passes.
    set.FieldByName("VALUE").FocusControl();
    EXPECT_EQ(grid, form->ActiveControl());
    EXPECT_EQ(2, grid->SelectedIndex());
    EXPECT_TRUE(grid->EditorOpen());
}

}  // namespace
}  // namespace platform

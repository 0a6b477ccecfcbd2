// Record entry on the real screen: a new row's place and defaults, cancel and confirm
// outside an entry, the delete question, and the entry grid's key filter.
#include <gtest/gtest.h>

#include "platform/app/Application.h"
#include "tests/screen/EntryFixture.h"

using entrytest::EntryFixture;
using entrytest::kKinds;

namespace {

platform::Application& App() {
    return platform::Application::Instance();
}

}  // namespace

class RecordEntryTest : public EntryFixture {};
class RecordEntryKindTest : public EntryFixture, public ::testing::WithParamInterface<int> {};

TEST_P(RecordEntryKindTest, NewRowStandsFirstWithItsDefaultsAndCancelTakesItAway) {
    const auto& k = kKinds[static_cast<std::size_t>(GetParam())];
    OpenScreen(k.index);
    auto& s = S();
    auto& set = SetOf(k.index);
    const int before = set.RecordCount();
    ASSERT_GT(before, 0) << "the demonstration data has implanted balances of every kind";
    set.MoveToVisibleRow(before - 1);

    InsertRow();
    EXPECT_EQ(set.State(), platform::DataSetState::Insert);
    EXPECT_EQ(set.RecordCount(), before + 1);
    EXPECT_EQ(set.VisibleRowIndex(), 0);
    EXPECT_EQ(FieldOf(k.index, "TIPSALDO").AsString(), "Sim");
    EXPECT_EQ(FieldOf(k.index, "CDEMPRESA").AsString(), "01");
    EXPECT_EQ(FieldOf(k.index, "IDSALDCOME").AsString(), k.code);
    EXPECT_FALSE(FieldOf(k.index, "VRIMPSALDO").IsNull());
    EXPECT_EQ(FieldOf(k.index, "VRIMPSALDO").AsFloat(), 0.0);
    for (const char* blank :
         {"DTIMPSALDO", "CDCONTCTBL", "NMCONTCTBL", "NMRAZAOSOCIAL", "CDSALDCOME", "NRINSJUR"})
        EXPECT_TRUE(FieldOf(k.index, blank).IsNull()) << blank;
    EXPECT_EQ(FieldOf(k.index, "VRIMPSALDO").EditFormat(), "#,##0.00");
    EXPECT_EQ(FieldOf(k.index, "DTIMPSALDO").EditMask(), "!99/0000;1;_");

    // The entry page is shown and the month cell has the focus.
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFormulario);
    EXPECT_FALSE(s.tshFolhaDados->Enabled());
    EXPECT_EQ(s.ActiveControl(), s.dbgLancSaldCome);
    ASSERT_NE(s.dbgLancSaldCome->SelectedField(), nullptr);
    EXPECT_EQ(s.dbgLancSaldCome->SelectedField()->FieldName(), "DTIMPSALDO");
    EXPECT_TRUE(s.sbtConfirmar->Enabled());
    EXPECT_FALSE(s.sbtIncluir->Enabled());

    s.sbtCancelar->Click();
    EXPECT_EQ(set.State(), platform::DataSetState::Browse);
    EXPECT_EQ(set.RecordCount(), before);
    EXPECT_EQ(set.ChangeCount(), 0);
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
    EXPECT_FALSE(s.tshFormulario->Enabled());
    EXPECT_TRUE(dialogs.Log().empty()) << "cancel reached the server";
}

INSTANTIATE_TEST_SUITE_P(Kinds, RecordEntryKindTest, ::testing::Values(0, 1, 2),
                         entrytest::KindName);

TEST_F(RecordEntryTest, ARowStartedOutsideTheInsertCommandGetsTheSameDefaults) {
    OpenScreen(1);
    auto& s = S();
    App().RunEvent([&] { s.cdsSaldClie.Insert(); });
    EXPECT_EQ(s.cdsSaldClie.State(), platform::DataSetState::Insert);
    EXPECT_EQ(s.cdsSaldClieTIPSALDO->AsString(), "Sim");
    EXPECT_EQ(s.cdsSaldClieCDEMPRESA->AsString(), "01");
    EXPECT_EQ(s.cdsSaldClieIDSALDCOME->AsString(), "C");
    EXPECT_EQ(s.cdsSaldClieVRIMPSALDO->AsFloat(), 0.0);
    EXPECT_FALSE(s.cdsSaldClie.Modified()) << "the defaults count as no change";
}

TEST_F(RecordEntryTest, ConfirmAndCancelOutsideAnEntryChangeNoDataAndShowTheDataSheet) {
    OpenScreen(0);
    auto& s = S();
    const int rows = s.cdsSaldForn.RecordCount();

    ShowEntryPage();
    App().RunEvent([&] { s.sbtConfirmarClick(s.sbtConfirmar); });
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
    EXPECT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Browse);

    ShowEntryPage();
    App().RunEvent([&] { s.sbtCancelarClick(s.sbtCancelar); });
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);

    EXPECT_EQ(s.cdsSaldForn.RecordCount(), rows);
    EXPECT_EQ(s.cdsSaldForn.ChangeCount(), 0);
    EXPECT_TRUE(dialogs.Log().empty()) << "nothing may reach the server or show a message";
}

TEST_F(RecordEntryTest, DeleteAnsweredNoChangesOnlyThePage) {
    OpenScreen(2);
    auto& s = S();
    const int rows = s.cdsSaldBanco.RecordCount();
    ASSERT_TRUE(s.sbtExcluir->Enabled());
    ShowEntryPage();

    dialogs.Answer(platform::mrNo);
    s.sbtExcluir->Click();
    EXPECT_EQ(dialogs.Log(),
              std::vector<std::string>{"ask: " + s.msgMensagensPadroes->Msg("Excl")});
    EXPECT_EQ(s.cdsSaldBanco.RecordCount(), rows);
    EXPECT_EQ(s.cdsSaldBanco.ChangeCount(), 0);
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
}

TEST_F(RecordEntryTest, KeyFilterPerColumn) {
    OpenScreen(0);
    InsertRow();
    auto& s = S();
    auto* grid = s.dbgLancSaldCome;
    const auto passes = [&](int column, char32_t key) {
        grid->UserSelectCell(0, column);
        char32_t typed = key;
        grid->OnKeyPress(grid, typed);
        EXPECT_TRUE(typed == key || typed == 0);
        return typed == key;
    };
    using entrytest::kColAccount;
    using entrytest::kColAccountName;
    using entrytest::kColImplanted;
    using entrytest::kColMonth;
    using entrytest::kColOwner;
    using entrytest::kColValue;

    for (int column : {kColAccount, kColAccountName, kColOwner}) {
        EXPECT_TRUE(passes(column, 9)) << column;
        EXPECT_TRUE(passes(column, 13)) << column;
        for (char32_t key : {U'1', U'a', U'S', U' ', char32_t{8}})
            EXPECT_FALSE(passes(column, key)) << column << " " << static_cast<int>(key);
    }
    EXPECT_TRUE(passes(kColImplanted, U'S'));
    EXPECT_TRUE(passes(kColImplanted, 9));
    EXPECT_TRUE(passes(kColImplanted, 13));
    EXPECT_FALSE(passes(kColImplanted, U's'));
    EXPECT_FALSE(passes(kColImplanted, U'N'));
    for (char32_t key : {U'0', U'5', U'9', U',', U'-', char32_t{8}})
        EXPECT_TRUE(passes(kColValue, key)) << static_cast<int>(key);
    for (char32_t key : {U'.', U'a', U' ', char32_t{9}, char32_t{13}})
        EXPECT_FALSE(passes(kColValue, key)) << static_cast<int>(key);
    for (char32_t key : {U'0', U'/', U'a', U'.', U' ', char32_t{9}, char32_t{13}})
        EXPECT_TRUE(passes(kColMonth, key)) << static_cast<int>(key);

    // Typed through the grid: the account cell stays as it was, the value takes only what
    // belongs in a number.
    grid->UserSelectCell(0, kColAccount);
    grid->UserType("1.1.2");
    EXPECT_TRUE(s.cdsSaldFornCDCONTCTBL->IsNull());
    EXPECT_FALSE(grid->EditorOpen());
    TypeValue("1.234,5x");
    EXPECT_DOUBLE_EQ(s.cdsSaldFornVRIMPSALDO->AsFloat(), 1234.5);
    EXPECT_TRUE(dialogs.Log().empty());
}

TEST_F(RecordEntryTest, AKeyPressWithNoSelectedFieldPasses) {
    IniProc();
    auto& s = S();
    ASSERT_EQ(s.dbgLancSaldCome->SelectedField(), nullptr);
    char32_t key = U'x';
    s.dbgLancSaldCome->OnKeyPress(s.dbgLancSaldCome, key);
    EXPECT_EQ(key, U'x');
}

// Company selection on the balance screen: the code check as the field is left, short codes
// fitted, the name display, and the company pick list.
#include <gtest/gtest.h>

#include "tests/screen/ScreenFixture.h"

using screentest::ScreenFixture;

class CompanySelectionTest : public ScreenFixture {};

TEST_F(CompanySelectionTest, BlankCodeKeepsTheFocusInTheFieldAndLoadsNothing) {
    auto& s = Open();
    dialogs.TakeLog();

    dialogs.ExpectError("Empresa deve ser informada.");
    LeavePanel();
    EXPECT_EQ(s.ActiveControl(), s.medCdEmpresa);
    EXPECT_EQ(dialogs.TakeLog(), std::vector<std::string>{"error: Empresa deve ser informada."});
    EXPECT_FALSE(s.qryEmpresa->Active());
    EXPECT_FALSE(s.cdsSaldForn.Active());
    EXPECT_FALSE(s.dtsPadrao.Enabled());
    EXPECT_FALSE(s.cbxImplantSaldo->Enabled());

    // Moving inside the panel runs the same check, and the refusal ends the click on the kind.
    dialogs.ExpectError("Empresa deve ser informada.");
    s.rdgTipoConta->UserSelect(1);
    EXPECT_EQ(s.rdgTipoConta->ItemIndex(), 0);
    EXPECT_EQ(s.ActiveControl(), s.medCdEmpresa);
}

TEST_F(CompanySelectionTest, UnknownCodeIsFittedRefusedAndLoadsNothing) {
    auto& s = Open();
    TypeCompany("9");
    dialogs.TakeLog();

    dialogs.ExpectError("Empresa não cadastrada.");
    LeavePanel();
    EXPECT_EQ(s.ActiveControl(), s.medCdEmpresa);
    EXPECT_EQ(s.medCdEmpresa->Text(), "09");
    EXPECT_EQ(s.edtNmEmpresa->Text(), "");
    EXPECT_EQ(dialogs.TakeLog(), std::vector<std::string>{"error: Empresa não cadastrada."});
    EXPECT_FALSE(s.cdsSaldForn.Active());
    EXPECT_FALSE(s.dtsPadrao.Enabled());
}

TEST_F(CompanySelectionTest, OneDigitCodeIsFittedNamedAndLoaded) {
    auto& s = Open();
    TypeCompany("2");
    LeavePanel();
    EXPECT_FALSE(FocusInPanel());
    EXPECT_EQ(s.medCdEmpresa->Text(), "02");
    EXPECT_EQ(s.edtNmEmpresa->Text(), "Distribuidora Serra Azul S.A.");
    ASSERT_GT(s.cdsSaldForn.RecordCount(), 0);
    for (const auto& company : Column(s.cdsSaldForn, "CDEMPRESA")) EXPECT_EQ(company, "02");

    // Typing into the field again clears the name shown.
    s.medCdEmpresa->UserType("\b");
    EXPECT_EQ(s.medCdEmpresa->Text(), "0");
    EXPECT_EQ(s.edtNmEmpresa->Text(), "");
}

TEST_F(CompanySelectionTest, PickFromTheListShowsCodeAndNameOfEveryCompanyInCodeOrder) {
    auto& s = Open();
    TypeCompany("1");

    dialogs.Pick(std::nullopt);
    s.BtnPesquisa1->Click();
    EXPECT_EQ(s.medCdEmpresa->Text(), "1");

    dialogs.Pick(2);
    dialogs.TakeLog();
    s.BtnPesquisa1->Click();
    EXPECT_EQ(dialogs.TakeLog(), std::vector<std::string>{"pick: Empresa (3 rows)"});
    EXPECT_EQ(dialogs.LastCaptions(), (std::vector<std::string>{"Código", "Nome"}));
    ASSERT_EQ(dialogs.LastRows().size(), 3u);
    EXPECT_EQ(dialogs.LastRows()[0][0], "01");
    EXPECT_EQ(dialogs.LastRows()[1][0], "02");
    EXPECT_EQ(dialogs.LastRows()[2][0], "03");
    EXPECT_EQ(s.medCdEmpresa->Text(), "03");
    EXPECT_EQ(s.edtNmEmpresa->Text(), "Indústria de Alimentos Vale Verde Ltda.");

    LeavePanel();
    EXPECT_EQ(s.edtNmEmpresa->Text(), "Indústria de Alimentos Vale Verde Ltda.");
    ASSERT_GT(s.cdsSaldForn.RecordCount(), 0);
    for (const auto& company : Column(s.cdsSaldForn, "CDEMPRESA")) EXPECT_EQ(company, "03");
}

// A user's walk over the demo data: the company typed and named, the kind picked, the panel
// left by Tab, implant mode switched on and off; checked as the user sees it: the name, the
// rows the data sheet shows and the commands offered.
#include <gtest/gtest.h>

#include "tests/screen/ScreenFixture.h"

using screentest::ScreenFixture;

namespace {

// The data sheet as shown: for each visible row, the display text of each column.
std::vector<std::vector<std::string>> Shown(const platform::DBGrid& grid) {
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < grid.RowCount(); ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < grid.ColumnCount(); ++column)
            cells.push_back(grid.CellText(row, column));
        rows.push_back(std::move(cells));
    }
    return rows;
}

// The texts of one column, found by name, over the shown rows.
std::vector<std::string> ShownColumn(const platform::DBGrid& grid, const std::string& field) {
    std::vector<std::string> values;
    int index = -1;
    for (int column = 0; column < grid.ColumnCount(); ++column)
        if (grid.ColumnFieldName(column) == field) index = column;
    if (index < 0) return values;
    for (const auto& row : Shown(grid)) values.push_back(row[static_cast<std::size_t>(index)]);
    return values;
}

}  // namespace

class WalkTest : public ScreenFixture {};

TEST_F(WalkTest, ClientBalancesOfACompanyImplantedAndNot) {
    auto& s = Open();
    const std::vector<std::string> notImplantedOnly(
        static_cast<std::size_t>(StoredBalances("03", "C", "N")), "Não");
    const std::vector<std::string> implantedOnly(
        static_cast<std::size_t>(StoredBalances("03", "C", "S")), "Sim");
    ASSERT_FALSE(notImplantedOnly.empty());
    ASSERT_FALSE(implantedOnly.empty());

    // The company code: leaving the field for the kind fits it and names the company.
    s.medCdEmpresa->UserType("3");
    s.rdgTipoConta->UserSelect(1);
    EXPECT_EQ(s.medCdEmpresa->Text(), "03");
    EXPECT_EQ(s.edtNmEmpresa->Text(), "Indústria de Alimentos Vale Verde Ltda.");
    EXPECT_EQ(s.rdgTipoConta->ItemIndex(), 1);
    EXPECT_TRUE(Shown(*s.dbgPadrao).empty());
    EXPECT_EQ(Commands(), "");

    // Tab out of the panel: the clients not implanted.
    s.UserTab();
    ASSERT_FALSE(FocusInPanel());
    EXPECT_EQ(ShownColumn(*s.dbgPadrao, "TIPSALDO"), notImplantedOnly);
    const auto columns = Shown(*s.dbgPadrao).front().size();
    EXPECT_EQ(columns, 6u);  // month, account, account name, client name, value, implanted
    for (const auto& name : ShownColumn(*s.dbgPadrao, "NMRAZAOSOCIAL")) EXPECT_NE(name, "");
    EXPECT_NE(s.dbtNome->Text(), "");
    EXPECT_EQ(Commands(), "Procurar Verificar");
    EXPECT_TRUE(s.cbxImplantSaldo->Enabled());

    // Implant mode: the grid is empty while the panel has the focus, then shows the
    // implanted clients with insert and delete offered.
    s.cbxImplantSaldo->UserToggle();
    EXPECT_TRUE(s.cbxImplantSaldo->Checked());
    EXPECT_TRUE(Shown(*s.dbgPadrao).empty());
    s.UserTab();
    ASSERT_FALSE(FocusInPanel());
    EXPECT_EQ(ShownColumn(*s.dbgPadrao, "TIPSALDO"), implantedOnly);
    EXPECT_EQ(Commands(), "Incluir Excluir Procurar Verificar");

    // And out of it again.
    s.cbxImplantSaldo->UserToggle();
    EXPECT_EQ(Commands(), "Procurar Verificar");
    s.UserTab();
    EXPECT_EQ(ShownColumn(*s.dbgPadrao, "TIPSALDO"), notImplantedOnly);
    EXPECT_EQ(Commands(), "Procurar Verificar");
    EXPECT_EQ(s.edtNmEmpresa->Text(), "Indústria de Alimentos Vale Verde Ltda.");
}

// Fixture for entering balances on the real screen: opens it through the module, chooses
// company, kind and implant mode as a user does, enters rows through the entry grid and
// its look-up buttons, and reads the server's database back with the sqlite3 tool.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/data/ClientDataSet.h"
#include "tests/support/ModuleFixture.h"

namespace entrytest {

// What the demonstration data offers for one balance kind, and a balance its ledger
// account accepts (suppliers are credit accounts, clients and banks debit ones).
struct KindCase {
    int index;
    const char* name;
    const char* code;  // IDSALDCOME
    std::size_t accountRow;
    const char* account;
    const char* accountName;
    std::size_t ownerRow;
    const char* owner;
    const char* ownerName;
    const char* valueText;
    double value;
    long long cents;
};

inline const std::array<KindCase, 3> kKinds = {{
    {0, "Fornecedores", "F", 4, "2.1.1.01.0001", "Fornecedores Nacionais", 0, "000001",
     "Metalúrgica São Jorge Ltda.", "150,25", 150.25, 15025},
    {1, "Clientes", "C", 2, "1.1.2.01.0001", "Clientes Nacionais", 0, "C00001",
     "Supermercados Bom Preço Ltda.", "-150,25", -150.25, -15025},
    {2, "Bancos", "B", 0, "1.1.1.02.0001", "Bancos - Conta Movimento", 0, "001",
     "Banco do Brasil S.A.", "-150,25", -150.25, -15025},
}};

inline std::string KindName(const ::testing::TestParamInfo<int>& info) {
    return kKinds[static_cast<std::size_t>(info.param)].name;
}

// Grid columns of the entry grid (the visible fields in order).
inline constexpr int kColMonth = 0;
inline constexpr int kColAccount = 1;
inline constexpr int kColAccountName = 2;
inline constexpr int kColOwner = 3;
inline constexpr int kColValue = 4;
inline constexpr int kColImplanted = 5;

// The account list in the demonstration data: analytic accounts with a commercial type,
// ordered by code. The last code is longer than a balance row's 16 characters.
inline constexpr std::size_t kAccountRows = 8;
inline constexpr std::size_t kLongAccountRow = 7;
inline constexpr const char* kLongAccount = "2.1.1.02.0001.001";

class EntryFixture : public testsupport::ModuleFixture {
  protected:
    TfrmSaldComerc& S() const { return Screen(); }

    platform::ClientDataSet& SetOf(int kind) const {
        if (kind == 1) return S().cdsSaldClie;
        if (kind == 2) return S().cdsSaldBanco;
        return S().cdsSaldForn;
    }
    platform::Field& FieldOf(int kind, const char* name) const {
        return SetOf(kind).FieldByName(name);
    }

    // Opens the screen (unless open), types the company, picks the kind and leaves the
    // filter panel (the balances are read); then it sets "Implantação de Saldo" as asked
    // and leaves the panel again, as a user starting to implant balances does.
    void OpenScreen(int kind, bool implant = true, const std::string& company = "01") {
        if (!Form()) IniProc();
        auto& s = S();
        s.medCdEmpresa->UserSetText(company);
        s.rdgTipoConta->UserSelect(kind);
        s.dbgPadrao->UserFocus();
        ASSERT_TRUE(s.dtsPadrao.Enabled()) << "leaving the filter panel did not load";
        ASSERT_EQ(s.dtsPadrao.DataSet(), &SetOf(kind));
        if (implant != s.cbxImplantSaldo->Checked()) {
            s.cbxImplantSaldo->UserToggle();
            ASSERT_EQ(s.cbxImplantSaldo->Checked(), implant);
            s.dbgPadrao->UserFocus();
        }
        if (implant) {
            ASSERT_TRUE(s.sbtIncluir->Enabled()) << "insert not offered in implant mode";
        }
        dialogs.TakeLog();
    }

    // Shows the entry page as the insert command does, to see which commands switch back.
    void ShowEntryPage() {
        S().tshFormulario->SetEnabled(true);
        S().pgcPadrao->SetActivePage(S().tshFormulario);
    }

    // The insert command, as the tool button runs it.
    void InsertRow() { S().sbtIncluir->Click(); }

    // Types a month into the new row's month cell and ends the cell with Enter.
    void TypeMonth(const std::string& text) {
        S().dbgLancSaldCome->UserSelectCell(0, kColMonth);
        S().dbgLancSaldCome->UserType(text + "\r");
    }

    // Types a value into the new row's value cell; moving back to the month cell writes it
    // (the value column lets neither Tab nor Enter through).
    void TypeValue(const std::string& text) {
        S().dbgLancSaldCome->UserSelectCell(0, kColValue);
        S().dbgLancSaldCome->UserType(text);
        S().dbgLancSaldCome->UserSelectCell(0, kColMonth);
    }

    // Clicks the ellipsis of the account or owner cell of the first row, answering the list
    // with `row` (nothing: the list is dismissed).
    void LookUp(int column, std::optional<std::size_t> row) {
        S().dbgLancSaldCome->UserSelectCell(0, column);
        dialogs.Pick(row);
        S().dbgLancSaldCome->UserEditButtonClick();
    }

    // Enters the whole row of a kind's demonstration case for the month.
    void EnterRow(const KindCase& k, const std::string& month = "03/2024") {
        InsertRow();
        TypeMonth(month);
        LookUp(kColAccount, k.accountRow);
        LookUp(kColOwner, k.ownerRow);
        TypeValue(k.valueText);
    }

    // Runs a query with the sqlite3 tool on the server's database; rows one a line, columns
    // separated by "|".
    std::string Sql(const std::string& query) const {
        std::string quoted = "'";
        for (char c : query) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        quoted += "'";
        const std::string command = "sqlite3 -batch -cmd '.timeout 5000' '" +
                                    Server()->DatabaseFile().string() + "' " + quoted + " 2>&1";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        if (!pipe) throw std::runtime_error("cannot run sqlite3");
        std::string out;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
        return out;
    }

    // The stored balance of the case in March 2024, as the sqlite3 tool prints it.
    std::string StoredRow(const KindCase& k, const std::string& day = "2024-03-31") const {
        return Sql(std::string("SELECT CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL, CDSALDCOME, "
                               "VRIMPSALDO, TIPSALDO FROM SALDCOME WHERE CDEMPRESA = '01' AND "
                               "IDSALDCOME = '") +
                   k.code + "' AND DTIMPSALDO = '" + day + "' AND CDCONTCTBL = '" + k.account +
                   "' AND CDSALDCOME = '" + k.owner + "'");
    }
    std::string ExpectedStoredRow(const KindCase& k, const std::string& day = "2024-03-31") const {
        return std::string("01|") + k.code + "|" + day + "|" + k.account + "|" + k.owner + "|" +
               std::to_string(k.cents) + "|S\n";
    }

    // The visible row of the set with the month, account and owner, or -1.
    static int FindRow(platform::ClientDataSet& set, platform::DateTime month,
                       const std::string& account, const std::string& owner) {
        for (int i = 0; i < set.RecordCount(); ++i) {
            set.MoveToVisibleRow(i);
            if (set.FieldByName("DTIMPSALDO").AsDateTime() == month &&
                set.FieldByName("CDCONTCTBL").AsString() == account &&
                set.FieldByName("CDSALDCOME").AsString() == owner)
                return i;
        }
        return -1;
    }
};

}  // namespace entrytest

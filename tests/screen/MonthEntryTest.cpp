// Month entry and value display on the real screen: MM/YYYY stored as the month's last day
// with the module's woMes/woAno, the refusals, and the CR/DB value texts per kind and state.
#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/app/Application.h"
#include "tests/screen/EntryFixture.h"

using entrytest::EntryFixture;

namespace {

constexpr const char* kInvalid = "Data inválida!";

// What assigning the text through the field's text-entry path (the grid's path) raised:
// "" for nothing, "abort" for the silent abort after a message, else the error's text.
std::string Enter(platform::Field& field, const std::string& text) {
    try {
        field.SetText(text);
        return "";
    } catch (const platform::Abort&) {
        return "abort";
    } catch (const platform::Error& e) {
        return e.what();
    }
}

}  // namespace

class MonthEntryTest : public EntryFixture {};

TEST_F(MonthEntryTest, TypedMonthsAreStoredAsTheirLastDay) {
    OpenScreen(0);
    InsertRow();
    auto& month = *S().cdsSaldFornDTIMPSALDO;

    TypeMonth("03/2024");
    EXPECT_EQ(month.AsDateTime(), platform::EncodeDate(2024, 3, 31));
    EXPECT_EQ(WoMes(), 3);
    EXPECT_EQ(WoAno(), 2024);
    EXPECT_EQ(month.DisplayText(), "03/2024");
    EXPECT_EQ(S().dbgLancSaldCome->SelectedField(), &month);

    EXPECT_EQ(Enter(month, "02/2024"), "");
    EXPECT_EQ(month.AsDateTime(), platform::EncodeDate(2024, 2, 29));
    EXPECT_EQ(WoMes(), 2);
    EXPECT_EQ(WoAno(), 2024);

    // A blank before a one-digit month converts; anything after the year is ignored; a
    // short year is taken as it stands.
    EXPECT_EQ(Enter(month, " 3/2023"), "");
    EXPECT_EQ(month.AsDateTime(), platform::EncodeDate(2023, 3, 31));
    EXPECT_EQ(Enter(month, "11/2025 e mais"), "");
    EXPECT_EQ(month.AsDateTime(), platform::EncodeDate(2025, 11, 30));
    EXPECT_EQ(Enter(month, "03/24"), "");
    EXPECT_EQ(month.AsDateTime(), platform::EncodeDate(24, 3, 31));
    EXPECT_EQ(WoAno(), 24);
    EXPECT_TRUE(dialogs.Log().empty());
}

TEST_F(MonthEntryTest, BadMonthsAreRefusedAndTheFieldKeepsItsValue) {
    OpenScreen(2);
    InsertRow();
    auto& month = *S().cdsSaldBancoDTIMPSALDO;
    ASSERT_EQ(Enter(month, "06/2024"), "");
    const platform::DateTime june = platform::EncodeDate(2024, 6, 30);
    EXPECT_EQ(month.AsDateTime(), june);
    // A bank row shows the whole date of the month's last day.
    EXPECT_EQ(month.DisplayText(), "30/06/2024");

    // Out of range: parsed, then refused.
    for (const auto& [text, parsed] :
         {std::pair<std::string, int>{"13/2024", 13}, {"00/2024", 0}}) {
        dialogs.ExpectError(kInvalid);
        EXPECT_EQ(Enter(month, text), "abort") << text;
        EXPECT_EQ(WoMes(), parsed) << text;
        EXPECT_EQ(WoAno(), 2024) << text;
        EXPECT_EQ(month.AsDateTime(), june) << text;
    }
    // No "/" at the third position: refused before parsing.
    for (const char* text : {"3/2024", "", "032024", "2024/03"}) {
        dialogs.ExpectError(kInvalid);
        EXPECT_EQ(Enter(month, text), "abort") << text;
        EXPECT_EQ(WoMes(), 0) << text;
        EXPECT_EQ(WoAno(), 0) << text;
        EXPECT_EQ(month.AsDateTime(), june) << text;
    }
    // A part that is no whole number: the conversion's own message, and woMes/woAno stay
    // cleared even when the month converted.
    const std::pair<std::string, std::string> failures[] = {
        {"ab/2024", "'ab' não é um valor inteiro válido"},
        {"3 /2024", "'3 ' não é um valor inteiro válido"},
        {"  /2024", "'  ' não é um valor inteiro válido"},
        {"03/20x4", "'20x4' não é um valor inteiro válido"},
        {"03/", "'' não é um valor inteiro válido"},
    };
    for (const auto& [text, message] : failures) {
        ASSERT_EQ(Enter(month, "01/2020"), "");
        EXPECT_EQ(Enter(month, text), message) << text;
        EXPECT_EQ(WoMes(), 0) << text;
        EXPECT_EQ(WoAno(), 0) << text;
        EXPECT_EQ(month.AsDateTime(), platform::EncodeDate(2020, 1, 31)) << text;
    }
    EXPECT_EQ(dialogs.Errors(), std::vector<std::string>(6, kInvalid));

    // Typed into the grid, a refused month shows its message and stores nothing.
    dialogs.ExpectError(kInvalid);
    TypeMonth("13/2024");
    EXPECT_EQ(month.AsDateTime(), platform::EncodeDate(2020, 1, 31));
    EXPECT_EQ(S().cdsSaldBanco.State(), platform::DataSetState::Insert);
}

TEST_F(MonthEntryTest, ValuesShowAsCreditOrDebitWithPerKindPlainNumbersWhileEditing) {
    auto& app = platform::Application::Instance();
    OpenScreen(1);
    auto& s = S();
    auto& clientValue = *s.cdsSaldClieVRIMPSALDO;
    // Browse: client balances of the demonstration data are debits.
    ASSERT_FALSE(s.cdsSaldClie.IsEmpty());
    EXPECT_TRUE(clientValue.DisplayText().ends_with(" DB")) << clientValue.DisplayText();

    // A client row being inserted keeps the marks, in display and edit text alike.
    InsertRow();
    const std::pair<double, std::string> marked[] = {{1234.5, "1.234,50 CR"},
                                                     {-1234.5, "1.234,50 DB"},
                                                     {0, "0,00 CR"},
                                                     {1e6, "1.000.000,00 CR"}};
    for (const auto& [value, text] : marked) {
        clientValue.SetAsFloat(value);
        EXPECT_EQ(clientValue.DisplayText(), text);
        EXPECT_EQ(clientValue.Text(), text);
    }
    clientValue.Clear();
    EXPECT_EQ(clientValue.DisplayText(), "0,00 CR");
    s.sbtCancelar->Click();

    // A client row being edited: the general text, signed, ungrouped.
    app.RunEvent([&] { s.cdsSaldClie.Edit(); });
    const std::pair<double, std::string> plain[] = {{1234.5, "1234,5"}, {0, "0"}, {-2, "-2"}};
    for (const auto& [value, text] : plain) {
        clientValue.SetAsFloat(value);
        EXPECT_EQ(clientValue.DisplayText(), text);
        EXPECT_EQ(clientValue.Text(), text);
    }
    s.cdsSaldClie.Cancel();

    // Suppliers: plain grouped numbers while inserting, for every row of the set; marks while
    // editing.
    OpenScreen(0);
    auto& supplierValue = *s.cdsSaldFornVRIMPSALDO;
    ASSERT_GE(s.cdsSaldForn.RecordCount(), 1);
    EXPECT_TRUE(supplierValue.DisplayText().ends_with(" CR")) << supplierValue.DisplayText();
    InsertRow();
    supplierValue.SetAsFloat(-1234.5);
    EXPECT_EQ(supplierValue.DisplayText(), "-1.234,50");
    const std::string other = s.cdsSaldForn.VisibleRowText(1, supplierValue, true);
    EXPECT_FALSE(other.ends_with("CR") || other.ends_with("DB")) << other;
    s.sbtCancelar->Click();
    app.RunEvent([&] { s.cdsSaldForn.Edit(); });
    supplierValue.SetAsFloat(-1234.5);
    EXPECT_EQ(supplierValue.DisplayText(), "1.234,50 DB");
    s.cdsSaldForn.Cancel();

    // Banks: like clients.
    OpenScreen(2);
    auto& bankValue = *s.cdsSaldBancoVRIMPSALDO;
    app.RunEvent([&] { s.cdsSaldBanco.Edit(); });
    bankValue.SetAsFloat(1234.5);
    EXPECT_EQ(bankValue.DisplayText(), "1234,5");
    s.cdsSaldBanco.Cancel();
    InsertRow();
    bankValue.SetAsFloat(1234.5);
    EXPECT_EQ(bankValue.DisplayText(), "1.234,50 CR");
    s.sbtCancelar->Click();
    EXPECT_TRUE(dialogs.Errors().empty());
}

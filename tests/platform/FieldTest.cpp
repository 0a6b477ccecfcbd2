// Fields: sizes in characters, conversions, null, formats and the text hooks.
#include "platform/data/Field.h"

#include <gtest/gtest.h>

#include "BalanceSet.h"
#include "platform/Exceptions.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/text/TextFunctions.h"

#include <cmath>

using namespace platform;
using testing_platform::MakeBalanceSet;

class FieldTest : public ::testing::Test {
  protected:
    void SetUp() override {
        set = MakeBalanceSet();
        set->CreateDataSet();
        set->Insert();
    }
    Field& F(const char* name) { return set->FieldByName(name); }
    std::unique_ptr<ClientDataSet> set;
};

TEST_F(FieldTest, DefinitionAndDisplayProperties) {
    Field& f = set->Fields(1);
    EXPECT_EQ(f.FieldName(), "CDCONTCTBL");
    EXPECT_EQ(f.Index(), 1);
    EXPECT_EQ(f.Size(), 16);
    EXPECT_EQ(f.DisplayLabel(), "Conta Contábil");
    EXPECT_EQ(f.DisplayWidth(), 16);
    EXPECT_EQ(F("NMRAZAOSOCIAL").DisplayLabel(), "NMRAZAOSOCIAL");
    EXPECT_FALSE(F("CDEMPRESA").Visible());
    EXPECT_EQ(&set->FieldByName("tipsaldo"), &F("TIPSALDO"));
    EXPECT_EQ(set->FindField("NADA"), nullptr);
    try {
        set->FieldByName("NADA");
        FAIL();
    } catch (const DataSetError& e) {
        EXPECT_STREQ(e.what(), "Campo 'NADA' não encontrado.");
    }
    EXPECT_THROW(set->Fields(99), DataSetError);
}

TEST_F(FieldTest, StringSizeCountsCharactersAndRefusesWhatDoesNotFit) {
    F("TIPSALDO").SetAsString("Não");
    EXPECT_EQ(F("TIPSALDO").AsString(), "Não");
    try {
        F("TIPSALDO").SetAsString("Nãoo");
        FAIL();
    } catch (const DataSetError& e) {
        EXPECT_STREQ(e.what(), "O texto 'Nãoo' não cabe no campo 'Saldo Implantado' (tamanho 3).");
    }
    EXPECT_EQ(F("TIPSALDO").AsString(), "Não");
    EXPECT_THROW(F("TIPSALDO").SetAsString("N\xe3o"), DataSetError);
    EXPECT_EQ(F("TIPSALDO").AsString(), "Não");
}

TEST_F(FieldTest, NullReadsAsEmptyZeroAndTheZeroDate) {
    EXPECT_TRUE(F("VRIMPSALDO").IsNull());
    EXPECT_EQ(F("VRIMPSALDO").AsString(), "");
    EXPECT_DOUBLE_EQ(F("VRIMPSALDO").AsFloat(), 0);
    EXPECT_DOUBLE_EQ(F("DTIMPSALDO").AsDateTime(), 0);
    EXPECT_EQ(FormatDateTime("MM/YYYY", F("DTIMPSALDO").AsDateTime()), "12/1899");
    F("VRIMPSALDO").SetAsFloat(0);
    EXPECT_FALSE(F("VRIMPSALDO").IsNull());
    EXPECT_EQ(F("VRIMPSALDO").AsString(), "0");
    F("VRIMPSALDO").SetAsString("");
    EXPECT_TRUE(F("VRIMPSALDO").IsNull());
    F("CDCONTCTBL").SetAsString("1.1");
    F("CDCONTCTBL").Clear();
    EXPECT_TRUE(F("CDCONTCTBL").IsNull());
}

TEST_F(FieldTest, ConversionsBetweenTextNumberAndDate) {
    F("VRIMPSALDO").SetAsString("-1.234,5");
    EXPECT_DOUBLE_EQ(F("VRIMPSALDO").AsFloat(), -1234.5);
    EXPECT_EQ(F("VRIMPSALDO").AsString(), "-1234,5");
    EXPECT_THROW(F("VRIMPSALDO").SetAsString("12a"), ConversionError);
    EXPECT_DOUBLE_EQ(F("VRIMPSALDO").AsFloat(), -1234.5);
    EXPECT_THROW(F("VRIMPSALDO").SetAsFloat(std::nan("")), DataSetError);
    F("DTIMPSALDO").SetAsString("31/03/2024");
    EXPECT_DOUBLE_EQ(F("DTIMPSALDO").AsDateTime(), EncodeDate(2024, 3, 31));
    EXPECT_EQ(F("DTIMPSALDO").AsString(), "31/03/2024");
    F("CDCONTCTBL").SetAsFloat(12.5);
    EXPECT_EQ(F("CDCONTCTBL").AsString(), "12,5");
    EXPECT_DOUBLE_EQ(F("CDCONTCTBL").AsFloat(), 12.5);
}

TEST_F(FieldTest, WritingOutsideEditOrInsertIsRefused) {
    set->Cancel();
    try {
        F("TIPSALDO").SetAsString("Sim");
        FAIL();
    } catch (const DataSetError& e) {
        EXPECT_NE(std::string(e.what()).find("não está em edição"), std::string::npos);
    }
}

TEST_F(FieldTest, DisplayAndEditTextFollowTheFormats) {
    Field& v = F("VRIMPSALDO");
    v.SetAsFloat(1234.5);
    EXPECT_EQ(v.DisplayText(), "1234,5");
    v.SetDisplayFormat("#,##0.00");
    EXPECT_EQ(v.DisplayText(), "1.234,50");
    EXPECT_EQ(v.Text(), "1.234,50");  // no edit format: the display format
    v.SetEditFormat("0.00");
    EXPECT_EQ(v.Text(), "1234,50");
    Field& d = F("DTIMPSALDO");
    d.SetAsDateTime(EncodeDate(2024, 3, 31));
    EXPECT_EQ(d.DisplayText(), "31/03/2024");
    EXPECT_EQ(d.Text(), "31/03/2024");
    d.SetDisplayFormat("mm/yyyy");
    EXPECT_EQ(d.DisplayText(), "03/2024");
    d.SetEditMask("!99/0000;1;_");
    EXPECT_EQ(d.Text(), "03/2024");  // a month mask edits the month, not the whole date
    EXPECT_THROW(d.SetEditMask("99\\"), Error);
    EXPECT_EQ(d.EditMask(), "!99/0000;1;_");
}

TEST_F(FieldTest, GetTextHookReplacesFormattingAndReceivesTheFlag) {
    Field& v = F("VRIMPSALDO");
    v.SetDisplayFormat("#,##0.00");
    std::vector<bool> flags;
    v.OnGetText = [&](Field& f, std::string& text, bool display) {
        flags.push_back(display);
        text = FormatFloat("#,##0.00", std::abs(f.AsFloat())) + (f.AsFloat() < 0 ? " DB" : " CR");
    };
    v.SetAsFloat(-1234.5);
    EXPECT_EQ(v.DisplayText(), "1.234,50 DB");
    EXPECT_EQ(v.Text(), "1.234,50 DB");
    EXPECT_EQ(flags, (std::vector<bool>{true, false}));
}

TEST_F(FieldTest, SetTextHookReplacesConversionAndItsFailureAbortsTheAssignment) {
    Field& d = F("DTIMPSALDO");
    d.OnSetText = [](Field& f, const std::string& text) {
        const int month = StrToInt(text.substr(0, 2));
        if (month < 1 || month > 12) throw Error("Data inválida!");
        f.SetAsDateTime(EndOfAMonth(StrToInt(text.substr(3, 4)), month));
    };
    d.SetText(" 3/2024");
    EXPECT_DOUBLE_EQ(d.AsDateTime(), EncodeDate(2024, 3, 31));
    EXPECT_THROW(d.SetText("13/2024"), Error);
    EXPECT_THROW(d.SetText("x3/2024"), ConversionError);
    EXPECT_DOUBLE_EQ(d.AsDateTime(), EncodeDate(2024, 3, 31));
    // The value path does not run the hook.
    d.SetAsString("01/01/2020");
    EXPECT_DOUBLE_EQ(d.AsDateTime(), EncodeDate(2020, 1, 1));
}

TEST_F(FieldTest, FocusControlAsksTheLinksOfEnabledSources) {
    DataSource off, on;
    off.SetDataSet(set.get());
    off.SetEnabled(false);
    on.SetDataSet(set.get());
    testing_platform::TraceLink skipped, grid;
    skipped.SetDataSource(&off);
    grid.SetDataSource(&on);
    F("DTIMPSALDO").FocusControl();
    EXPECT_EQ(grid.focusTarget, &F("DTIMPSALDO"));
    EXPECT_EQ(skipped.focusTarget, nullptr);
}

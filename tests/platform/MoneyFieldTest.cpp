// A money field rounds every write to the cent with the one rule, so the set holds exactly
// what it shows, sends in its change packet and the server stores.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "BalanceSet.h"
#include "platform/Exceptions.h"
#include "platform/data/DataError.h"
#include "platform/data/Field.h"
#include "platform/text/TextFunctions.h"

using namespace platform;

class MoneyFieldTest : public ::testing::Test {
  protected:
    void SetUp() override {
        set = testing_platform::MakeBalanceSet();
        value().SetMoney(true);
        value().SetDisplayFormat("#,##0.00");
        set->CreateDataSet();
        set->Insert();
    }
    Field& value() { return set->FieldByName("VRIMPSALDO"); }
    std::unique_ptr<ClientDataSet> set;
};

TEST_F(MoneyFieldTest, TypedTextAndDoublesKeepTheCentsTheyShow) {
    const std::vector<std::tuple<std::string, double, std::string>> typed = {
        {"1,005", 1.01, "1,01"},
        {"-1,005", -1.01, "-1,01"},
        {"0,285", 0.29, "0,29"},
        {"-0,285", -0.29, "-0,29"},
        {"0,28499999999999999999", 0.28, "0,28"},
        {"1.234,565", 1234.57, "1.234,57"},
        {"-0,004", 0, "0,00"}};
    for (const auto& [text, stored, shown] : typed) {
        value().SetText(text);
        EXPECT_EQ(value().AsFloat(), stored) << text;
        EXPECT_EQ(value().DisplayText(), shown) << text;
        EXPECT_EQ(FormatFloat("#,##0.00", value().AsFloat()), shown);
    }
    for (const auto& [number, stored] :
         std::vector<std::pair<double, double>>{{1.005, 1.01}, {-2.675, -2.68}, {0.1 + 0.2, 0.3}}) {
        value().SetAsFloat(number);
        EXPECT_EQ(value().AsFloat(), stored) << number;
    }
    set->Post();
    EXPECT_EQ(set->Delta()["changes"][0]["new"][3].dump(), "0.3");
}

TEST_F(MoneyFieldTest, AmountsBeyondFifteenDigitsAreRefusedAndTheValueStays) {
    value().SetText("12,5");
    EXPECT_THROW(value().SetText("10.000.000.000.000"), DataSetError);
    EXPECT_THROW(value().SetAsFloat(1e20), DataSetError);
    EXPECT_THROW(value().SetText("abc"), ConversionError);
    EXPECT_EQ(value().AsFloat(), 12.5);
    value().SetText("9.999.999.999.999,99");
    EXPECT_EQ(value().AsString(), "9999999999999,99");
}

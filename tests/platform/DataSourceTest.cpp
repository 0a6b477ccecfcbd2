// Data sources and links: what a bound control is told, in order, and the switch.
#include "platform/data/DataSource.h"

#include <gtest/gtest.h>

#include "BalanceSet.h"
#include "platform/data/ClientDataSet.h"
#include "platform/text/TextFunctions.h"

using namespace platform;
using testing_platform::BalancePacket;
using testing_platform::MakeBalanceSet;
using testing_platform::TraceLink;

class DataSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        set = MakeBalanceSet();
        source.OnStateChange = [this](DataSource& s) {
            events.push_back("OnStateChange:" + std::to_string(static_cast<int>(s.State())));
        };
        source.OnDataChange = [this](DataSource&, Field* f) {
            events.push_back("OnDataChange:" + (f != nullptr ? f->FieldName() : std::string("*")));
        };
        link.SetDataSource(&source);
        link.trace.clear();
    }
    std::unique_ptr<ClientDataSet> set;
    DataSource source;
    TraceLink link;
    std::vector<std::string> events;
};

TEST_F(DataSourceTest, ActiveMeansEnabledBoundAndOpen) {
    EXPECT_FALSE(link.Active());
    source.SetDataSet(set.get());
    EXPECT_FALSE(link.Active());
    set->LoadFromText(BalancePacket({{"A", "Alfa", 1, "Sim"}}));
    EXPECT_TRUE(link.Active());
    EXPECT_EQ(source.State(), DataSetState::Browse);
    source.SetEnabled(false);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(source.State(), DataSetState::Inactive);
    EXPECT_EQ(link.trace, (std::vector<std::string>{"inactive", "active", "inactive"}));
    EXPECT_EQ(events, (std::vector<std::string>{"OnDataChange:*", "OnStateChange:1",
                                                "OnDataChange:*", "OnStateChange:0"}));
}

TEST_F(DataSourceTest, ASwitchedOffSourcePassesNothingOn) {
    source.SetDataSet(set.get());
    set->LoadFromText(BalancePacket({{"A", "Alfa", 1, "Sim"}}));
    source.SetEnabled(false);
    link.trace.clear();
    events.clear();
    set->Edit();
    set->FieldByName("NMRAZAOSOCIAL").SetAsString("X");
    set->Post();
    EXPECT_TRUE(link.trace.empty());
    EXPECT_TRUE(events.empty());
    source.SetEnabled(true);
    EXPECT_EQ(link.trace, (std::vector<std::string>{"active"}));
}

TEST_F(DataSourceTest, EditingTraceInOrder) {
    source.SetDataSet(set.get());
    set->LoadFromText(BalancePacket({{"A", "Alfa", 1, "Sim"}, {"B", "Beta", 2, "Não"}}));
    set->OnNewRecord = [](ClientDataSet& s) { s.FieldByName("TIPSALDO").SetAsString("Sim"); };
    link.trace.clear();
    events.clear();
    set->Insert();
    set->FieldByName("CDCONTCTBL").SetAsString("N");
    set->Post();
    set->Next();
    EXPECT_EQ(link.trace,
              (std::vector<std::string>{"state", "changed", "record:TIPSALDO", "record:CDCONTCTBL",
                                        "state", "changed", "scrolled"}));
    EXPECT_EQ(events,
              (std::vector<std::string>{"OnStateChange:3", "OnDataChange:*",
                                        "OnDataChange:TIPSALDO", "OnDataChange:CDCONTCTBL",
                                        "OnStateChange:1", "OnDataChange:*", "OnDataChange:*"}));
}

TEST_F(DataSourceTest, RebindingAndDestructionDetachCleanly) {
    auto other = MakeBalanceSet();
    other->CreateDataSet();
    source.SetDataSet(set.get());
    source.SetDataSet(other.get());
    EXPECT_TRUE(set->DataSources().empty());
    EXPECT_EQ(other->DataSources().size(), 1u);
    other.reset();
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_FALSE(link.Active());
    {
        DataSource temporary;
        TraceLink shortLived;
        shortLived.SetDataSource(&temporary);
        temporary.SetDataSet(set.get());
    }
    EXPECT_TRUE(set->DataSources().empty());
}

TEST_F(DataSourceTest, GridReadsAnyRowThroughTheGetTextHook) {
    source.SetDataSet(set.get());
    set->LoadFromText(BalancePacket({{"A", "Alfa", 1234.5, "Sim"}, {"B", "Beta", -2, "Não"}}));
    Field& value = set->FieldByName("VRIMPSALDO");
    value.OnGetText = [](Field& f, std::string& text, bool display) {
        text = FormatFloat("#,##0.00", f.AsFloat()) + (display ? "" : " (edição)");
    };
    EXPECT_EQ(set->VisibleRowText(1, value, true), "-2,00");
    EXPECT_EQ(set->VisibleRowText(0, value, false), "1.234,50 (edição)");
    EXPECT_EQ(std::get<double>(set->VisibleRowValue(1, value)), -2);
    EXPECT_EQ(set->VisibleRowIndex(), 0);
    EXPECT_DOUBLE_EQ(value.AsFloat(), 1234.5);
}

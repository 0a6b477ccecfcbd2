// Record sets: states, cursor, insert/edit/post/cancel/delete with their events, filters,
// and that a refused operation leaves the set as it was.
#include "platform/data/ClientDataSet.h"

#include <gtest/gtest.h>

#include "BalanceSet.h"
#include "platform/Exceptions.h"
#include "platform/data/DataError.h"

using namespace platform;
using testing_platform::Accounts;
using testing_platform::BalancePacket;
using testing_platform::MakeBalanceSet;

class DataSetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        set = MakeBalanceSet();
        set->LoadFromText(BalancePacket(
            {{"A", "Alfa", 10, "Sim"}, {"B", "Beta", -20, "Não"}, {"C", "Gama", 30, "Sim"}}));
        set->BeforePost = [this](ClientDataSet&) {
            trace.push_back("before-post");
            if (refuse) throw Error("recusado");
        };
        set->AfterPost = [this](ClientDataSet&) { trace.push_back("after-post"); };
        set->AfterDelete = [this](ClientDataSet&) { trace.push_back("after-delete"); };
        set->OnNewRecord = [this](ClientDataSet& s) {
            trace.push_back("new-record:" +
                            std::string(s.State() == DataSetState::Insert ? "insert" : "?"));
            s.FieldByName("TIPSALDO").SetAsString("Sim");
            s.FieldByName("VRIMPSALDO").SetAsFloat(0);
        };
    }
    Field& F(const char* name) { return set->FieldByName(name); }
    std::string Current() { return F("CDCONTCTBL").AsString(); }

    std::unique_ptr<ClientDataSet> set;
    std::vector<std::string> trace;
    bool refuse = false;
};

TEST(DataSetStates, ClosedOpenAndEmpty) {
    auto set = MakeBalanceSet();
    EXPECT_EQ(set->State(), DataSetState::Inactive);
    EXPECT_TRUE(set->IsEmpty());
    EXPECT_EQ(set->RecordCount(), 0);
    EXPECT_THROW(set->First(), DataSetError);
    EXPECT_THROW(set->Insert(), DataSetError);
    set->CreateDataSet();
    EXPECT_EQ(set->State(), DataSetState::Browse);
    EXPECT_TRUE(set->IsEmpty());
    EXPECT_EQ(set->VisibleRowIndex(), -1);
    EXPECT_THROW(set->Edit(), DataSetError);
    EXPECT_THROW(set->Delete(), DataSetError);
    EXPECT_THROW(set->AddField("X", FieldType::Double), DataSetError);
    set->Close();
    EXPECT_FALSE(set->Active());
}

TEST_F(DataSetTest, CursorMovesOverTheRows) {
    EXPECT_EQ(set->RecordCount(), 3);
    EXPECT_EQ(Current(), "A");
    EXPECT_TRUE(set->Bof());
    set->Next();
    EXPECT_EQ(Current(), "B");
    set->Last();
    EXPECT_EQ(Current(), "C");
    EXPECT_TRUE(set->Eof());
    set->Next();
    EXPECT_EQ(Current(), "C");
    set->Prior();
    EXPECT_EQ(Current(), "B");
    set->MoveToVisibleRow(0);
    EXPECT_EQ(Current(), "A");
    EXPECT_THROW(set->MoveToVisibleRow(3), DataSetError);
    EXPECT_EQ(set->VisibleRowText(2, F("CDCONTCTBL"), true), "C");
    EXPECT_EQ(set->VisibleRowIndex(), 0);  // reading another row does not move
}

TEST_F(DataSetTest, InsertPutsTheNewRowBeforeTheCurrentOneAndRunsTheNewRecordEvent) {
    set->Next();
    set->Insert();
    EXPECT_EQ(set->State(), DataSetState::Insert);
    EXPECT_EQ(trace, (std::vector<std::string>{"new-record:insert"}));
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "", "B", "C"}));
    EXPECT_EQ(set->VisibleRowIndex(), 1);
    EXPECT_EQ(F("TIPSALDO").AsString(), "Sim");
    EXPECT_FALSE(set->Modified());  // the event's values do not count
    set->Edit();                    // Edit while inserting keeps insert
    EXPECT_EQ(set->State(), DataSetState::Insert);
}

TEST_F(DataSetTest, AnUntouchedNewRowIsCancelledWhenLeftAndATouchedOneIsPosted) {
    set->Insert();
    set->First();
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(set->ChangeCount(), 0);
    EXPECT_EQ(trace, (std::vector<std::string>{"new-record:insert"}));
    set->Insert();
    F("CDCONTCTBL").SetAsString("N");
    set->Next();
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"N", "A", "B", "C"}));
    EXPECT_EQ(Current(), "A");
    EXPECT_EQ(set->ChangeCount(), 1);
    EXPECT_EQ(trace.back(), "after-post");
}

TEST_F(DataSetTest, InsertIntoAnEmptySetMakesTheOnlyRow) {
    set->EmptyDataSet();
    set->Insert();
    F("CDCONTCTBL").SetAsString("X");
    set->Post();
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"X"}));
    EXPECT_FALSE(set->IsEmpty());
}

TEST_F(DataSetTest, PostRunsBeforeAndAfterPostAndARefusalKeepsTheRowBeingEdited) {
    set->Insert();
    F("CDCONTCTBL").SetAsString("N");
    refuse = true;
    EXPECT_THROW(set->Post(), Error);
    EXPECT_EQ(set->State(), DataSetState::Insert);
    EXPECT_EQ(Current(), "N");
    EXPECT_EQ(set->ChangeCount(), 0);
    refuse = false;
    set->Post();
    EXPECT_EQ(set->State(), DataSetState::Browse);
    EXPECT_EQ(trace, (std::vector<std::string>{"new-record:insert", "before-post", "before-post",
                                               "after-post"}));
    EXPECT_THROW(set->Post(), DataSetError);  // only in edit or insert
}

TEST_F(DataSetTest, ARefusedImplicitPostStopsTheMove) {
    set->Edit();
    F("NMRAZAOSOCIAL").SetAsString("Alterado");
    refuse = true;
    EXPECT_THROW(set->Next(), Error);
    EXPECT_EQ(set->State(), DataSetState::Edit);
    EXPECT_EQ(set->VisibleRowIndex(), 0);
    EXPECT_EQ(F("NMRAZAOSOCIAL").AsString(), "Alterado");
}

TEST_F(DataSetTest, CancelDropsTheBuffer) {
    set->Cancel();  // nothing in browse
    set->Next();
    set->Insert();
    F("CDCONTCTBL").SetAsString("N");
    set->Cancel();
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(Current(), "B");  // the row current before the insert
    set->Edit();
    F("NMRAZAOSOCIAL").SetAsString("Outro");
    set->Cancel();
    EXPECT_EQ(F("NMRAZAOSOCIAL").AsString(), "Beta");
    EXPECT_EQ(set->State(), DataSetState::Browse);
    EXPECT_EQ(set->ChangeCount(), 0);
}

TEST_F(DataSetTest, DeleteRemovesTheCurrentRowAndInInsertActsAsCancel) {
    set->Next();
    set->Delete();
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(Current(), "C");
    EXPECT_EQ(trace, (std::vector<std::string>{"after-delete"}));
    set->Insert();
    set->Delete();
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(set->State(), DataSetState::Browse);
    EXPECT_EQ(trace.back(), "new-record:insert");  // no second after-delete
    set->Delete();
    set->Delete();
    EXPECT_TRUE(set->IsEmpty());
    EXPECT_THROW(set->Delete(), DataSetError);
}

TEST_F(DataSetTest, ANewRecordEventThatRaisesDropsTheNewRow) {
    set->OnNewRecord = [](ClientDataSet&) { throw Error("falhou"); };
    EXPECT_THROW(set->Insert(), Error);
    EXPECT_EQ(set->State(), DataSetState::Browse);
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(DataSetTest, FilterShowsOnlyMatchingRowsExactlyAndWithCase) {
    set->SetFilter("TIPSALDO = 'Sim'");
    set->SetFiltered(true);
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "C"}));
    set->SetFilter("TIPSALDO = 'Não'");
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"B"}));
    set->SetFilter("TIPSALDO='sim'");
    EXPECT_TRUE(set->IsEmpty());
    set->SetFilter("NMRAZAOSOCIAL = 'Alfa'");
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A"}));
    set->SetFiltered(false);
    EXPECT_EQ(set->RecordCount(), 3);
}

TEST_F(DataSetTest, UnsupportedFilterIsAClearErrorAndChangesNothing) {
    set->SetFilter("TIPSALDO = 'Sim'");
    set->SetFiltered(true);
    for (const char* bad : {"TIPSALDO <> 'Sim'", "TIPSALDO = Sim", "TIPSALDO = 'Sim' AND X = 'Y'",
                            "TIPSALDO = 'Sim", "NADA = 'x'"}) {
        EXPECT_THROW(set->SetFilter(bad), DataSetError) << bad;
        EXPECT_EQ(set->Filter(), "TIPSALDO = 'Sim'");
        EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "C"}));
    }
    try {
        set->SetFilter("TIPSALDO LIKE 'S%'");
    } catch (const DataSetError& e) {
        EXPECT_STREQ(e.what(),
                     "Filtro não suportado: \"TIPSALDO LIKE 'S%'\". Use a forma CAMPO = 'texto'.");
    }
}

TEST_F(DataSetTest, APostedRowThatNoLongerMatchesDropsOutOfView) {
    set->SetFilter("TIPSALDO = 'Sim'");
    set->SetFiltered(true);
    set->Edit();
    F("TIPSALDO").SetAsString("Não");
    set->Post();
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"C"}));
    EXPECT_EQ(Current(), "C");
    // A new row shows while it is being inserted, even before it matches.
    set->Insert();
    F("TIPSALDO").SetAsString("Não");
    EXPECT_EQ(set->RecordCount(), 2);
    F("CDCONTCTBL").SetAsString("N");
    set->Post();
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"C"}));
    set->SetFiltered(false);
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "B", "N", "C"}));
}

TEST_F(DataSetTest, IsEmptyUnderTheFilterCountsARowBeingInserted) {
    set->SetFilter("TIPSALDO = 'Talvez'");
    set->SetFiltered(true);
    EXPECT_TRUE(set->IsEmpty());
    set->Insert();
    EXPECT_FALSE(set->IsEmpty());
    set->Cancel();
    EXPECT_TRUE(set->IsEmpty());
}

TEST_F(DataSetTest, ChangingTheFilterWhileEditingPostsAChangedRowAndDropsAnUnchangedOne) {
    set->SetFilter("TIPSALDO = 'Sim'");
    set->SetFiltered(true);
    set->Insert();  // untouched: dropped
    set->SetFilter("TIPSALDO = 'Não'");
    EXPECT_EQ(trace, (std::vector<std::string>{"new-record:insert"}));
    EXPECT_EQ(set->ChangeCount(), 0);
    set->Insert();
    F("CDCONTCTBL").SetAsString("N");  // changed: posted through before/after-post
    set->SetFilter("TIPSALDO = 'Sim'");
    EXPECT_EQ(trace, (std::vector<std::string>{"new-record:insert", "new-record:insert",
                                               "before-post", "after-post"}));
    // It was inserted before B, the current row under the other filter.
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "N", "C"}));
    // A refused post keeps the old filter and the row in edit.
    set->Edit();
    F("NMRAZAOSOCIAL").SetAsString("Outro");
    refuse = true;
    EXPECT_THROW(set->SetFiltered(false), Error);
    EXPECT_TRUE(set->Filtered());
    EXPECT_EQ(set->State(), DataSetState::Edit);
}

TEST_F(DataSetTest, ReadOnlySetIsFilledByCodeAndRefusesEdits) {
    ClientDataSet query("qryEmpresa");
    query.AddField("CDEMPRESA", FieldType::String, 2).SetDisplayLabel("Código");
    query.AddField("NMEMPRESA", FieldType::String, 40).SetDisplayWidth(30);
    query.SetReadOnly(true);
    query.AddRow({std::string("01"), std::string("Empresa Um")});
    query.AddRow({std::string("02"), std::monostate{}});
    EXPECT_EQ(query.RecordCount(), 2);
    query.Next();
    EXPECT_EQ(query.FieldByName("CDEMPRESA").AsString(), "02");
    EXPECT_EQ(query.ChangeCount(), 0);
    EXPECT_THROW(query.Edit(), DataSetError);
    EXPECT_THROW(query.Insert(), DataSetError);
    EXPECT_THROW(query.Delete(), DataSetError);
    EXPECT_THROW(query.AddRow({std::string("123"), std::monostate{}}), DataSetError);
    EXPECT_THROW(query.AddRow({1.0, std::monostate{}}), DataSetError);
    EXPECT_EQ(query.RecordCount(), 2);
}

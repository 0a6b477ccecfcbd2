// The change log: net change per row, Delta as a change packet, merge and cancel.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "BalanceSet.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataError.h"
#include "platform/data/Packet.h"

using namespace platform;
using nlohmann::json;
using testing_platform::Accounts;
using testing_platform::BalancePacket;
using testing_platform::MakeBalanceSet;

class ChangeLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        set = MakeBalanceSet();
        set->LoadFromText(BalancePacket(
            {{"A", "Alfa", 10, "Sim"}, {"B", "Beta", -20, "Não"}, {"C", "Gama", 30, "Sim"}}));
    }
    Field& F(const char* name) { return set->FieldByName(name); }
    void InsertRow(const char* account) {
        set->Insert();
        F("CDCONTCTBL").SetAsString(account);
        F("VRIMPSALDO").SetAsFloat(5);
        set->Post();
    }
    void EditOwner(const char* owner) {
        set->Edit();
        F("NMRAZAOSOCIAL").SetAsString(owner);
        set->Post();
    }
    ChangePacket Delta() { return ChangePacketFromJson(set->Delta()); }
    static std::string Text(const Variant& v) { return std::get<std::string>(v); }

    std::unique_ptr<ClientDataSet> set;
};

TEST_F(ChangeLogTest, InsertThenEditIsOneInsertedRowWithTheFinalValues) {
    InsertRow("N");
    EXPECT_EQ(set->ChangeCount(), 1);
    EditOwner("Novo");
    EXPECT_EQ(set->ChangeCount(), 1);
    const ChangePacket d = Delta();
    ASSERT_EQ(d.Changes.size(), 1u);
    EXPECT_EQ(d.Changes[0].Kind, ChangeKind::Inserted);
    EXPECT_TRUE(d.Changes[0].Old.empty());
    EXPECT_EQ(Text(d.Changes[0].New[1]), "N");
    EXPECT_EQ(Text(d.Changes[0].New[2]), "Novo");
    EXPECT_EQ(d.Fields, set->FieldDefs());
}

TEST_F(ChangeLogTest, TwoEditsAreOneModifiedRowWithTheFirstOriginal) {
    EditOwner("Um");
    EditOwner("Dois");
    EXPECT_EQ(set->ChangeCount(), 1);
    const ChangePacket d = Delta();
    ASSERT_EQ(d.Changes.size(), 1u);
    EXPECT_EQ(d.Changes[0].Kind, ChangeKind::Modified);
    EXPECT_EQ(Text(d.Changes[0].Old[2]), "Alfa");
    EXPECT_EQ(Text(d.Changes[0].New[2]), "Dois");
}

TEST_F(ChangeLogTest, InsertThenDeleteLeavesNothing) {
    InsertRow("N");
    set->Delete();
    EXPECT_EQ(set->ChangeCount(), 0);
    EXPECT_TRUE(Delta().Changes.empty());
}

TEST_F(ChangeLogTest, EditThenDeleteIsOneDeletedRowWithItsOriginalValues) {
    EditOwner("Mudou");
    set->Delete();
    EXPECT_EQ(set->ChangeCount(), 1);
    const ChangePacket d = Delta();
    ASSERT_EQ(d.Changes.size(), 1u);
    EXPECT_EQ(d.Changes[0].Kind, ChangeKind::Deleted);
    EXPECT_EQ(Text(d.Changes[0].Old[2]), "Alfa");
    EXPECT_TRUE(d.Changes[0].New.empty());
}

TEST_F(ChangeLogTest, AnUnchangedEditPostLogsNothing) {
    set->Edit();
    set->Post();
    EXPECT_EQ(set->ChangeCount(), 0);
}

TEST_F(ChangeLogTest, DeltaListsRowsInTheOrderTheyWereFirstChangedWithIsoDates) {
    set->Last();
    EditOwner("C2");
    set->First();
    InsertRow("N");
    set->Next();  // A
    set->Delete();
    const json delta = set->Delta();
    ASSERT_EQ(delta["changes"].size(), 3u);
    EXPECT_EQ(delta["changes"][0]["kind"], "modified");
    EXPECT_EQ(delta["changes"][1]["kind"], "inserted");
    EXPECT_EQ(delta["changes"][2]["kind"], "deleted");
    EXPECT_EQ(delta["changes"][2]["old"][0], "2024-03-31");
    EXPECT_EQ(delta["changes"][1]["new"][0], nullptr);
    EXPECT_EQ(delta["changes"][0]["new"][3], 30.0);
}

TEST_F(ChangeLogTest, DeltaCarriesPostedValuesWhileARowIsBeingEditedAgain) {
    EditOwner("Postado");
    set->Edit();
    F("NMRAZAOSOCIAL").SetAsString("Pendente");
    EXPECT_EQ(Text(Delta().Changes[0].New[2]), "Postado");
}

TEST_F(ChangeLogTest, MergeMakesTheCurrentRowsTheBaseline) {
    InsertRow("N");
    EditOwner("X");
    set->MergeChangeLog();
    EXPECT_EQ(set->ChangeCount(), 0);
    EditOwner("Y");
    const ChangePacket d = Delta();
    ASSERT_EQ(d.Changes.size(), 1u);
    EXPECT_EQ(d.Changes[0].Kind, ChangeKind::Modified);
    EXPECT_EQ(Text(d.Changes[0].Old[2]), "X");
    set->CancelUpdates();
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"N", "A", "B", "C"}));
    EXPECT_EQ(F("NMRAZAOSOCIAL").AsString(), "X");
}

TEST_F(ChangeLogTest, CancelUpdatesUndoesInsertsEditsAndDeletesInPlace) {
    set->Next();  // B
    EditOwner("B2");
    set->Last();
    set->Delete();  // C
    set->First();
    set->Delete();  // A
    InsertRow("N");
    set->Edit();
    F("NMRAZAOSOCIAL").SetAsString("pendente");
    set->CancelUpdates();
    EXPECT_EQ(set->ChangeCount(), 0);
    EXPECT_EQ(set->State(), DataSetState::Browse);
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "B", "C"}));
    set->Next();
    EXPECT_EQ(F("NMRAZAOSOCIAL").AsString(), "Beta");
    EXPECT_EQ(set->VisibleRowIndex(), 1);
}

TEST_F(ChangeLogTest, LogChangesOffRecordsNothing) {
    set->SetLogChanges(false);
    InsertRow("N");
    EditOwner("Z");
    EXPECT_EQ(set->ChangeCount(), 0);
    set->SetLogChanges(true);
    set->CancelUpdates();
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"N", "A", "B", "C"}));
}

TEST_F(ChangeLogTest, LoadingAPacketReplacesTheContentAndEmptiesTheLog) {
    InsertRow("N");
    set->Edit();
    F("NMRAZAOSOCIAL").SetAsString("pendente");
    set->LoadFromText(BalancePacket({{"Z", "Zeta", 1, "Sim"}}));
    EXPECT_EQ(set->State(), DataSetState::Browse);
    EXPECT_EQ(set->ChangeCount(), 0);
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"Z"}));
}

// The saving step runs inside after-post and after-delete: a refused save undoes the
// change there and lets the error travel on out of Post or Delete.
TEST_F(ChangeLogTest, ARefusedSaveInsideTheAfterEventsUndoesTheChange) {
    auto refuseSave = [](ClientDataSet& s) {
        if (s.ChangeCount() == 0) return;
        s.CancelUpdates();
        throw DataSetError("Servidor recusou");
    };
    set->AfterPost = refuseSave;
    set->AfterDelete = refuseSave;
    set->Insert();
    F("CDCONTCTBL").SetAsString("N");
    EXPECT_THROW(set->Post(), DataSetError);
    EXPECT_EQ(set->State(), DataSetState::Browse);
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "B", "C"}));
    set->Next();
    EXPECT_THROW(set->Delete(), DataSetError);
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(set->ChangeCount(), 0);
    set->AfterPost = [](ClientDataSet& s) { s.MergeChangeLog(); };
    InsertRow("M");
    EXPECT_EQ(set->ChangeCount(), 0);
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"M", "A", "B", "C"}));
}

// Record packets: loading from text and from parsed JSON, and refusals that leave the set
// exactly as it was.
#include "platform/data/Packet.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "BalanceSet.h"
#include "core/Json.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataError.h"

using namespace platform;
using nlohmann::json;
using testing_platform::Accounts;
using testing_platform::BalancePacket;
using testing_platform::MakeBalanceSet;

namespace {

std::string Refusal(ClientDataSet& set, const std::string& text) {
    try {
        set.LoadFromText(text);
    } catch (const DataSetError& e) {
        return e.what();
    }
    return "accepted";
}

}  // namespace

TEST(Packet, TextAndParsedJsonLoadTheSameRows) {
    const std::string text =
        BalancePacket({{"1.1", "Ação Ltda", -1234.5, "Não"}, {"2.2", "", 0, "Sim"}});
    auto a = MakeBalanceSet();
    auto b = MakeBalanceSet();
    a->LoadFromText(text);
    b->SetData(json::parse(text));
    EXPECT_EQ(a->Data(), b->Data());
    EXPECT_EQ(a->FieldByName("NMRAZAOSOCIAL").AsString(), "Ação Ltda");
    EXPECT_DOUBLE_EQ(a->FieldByName("VRIMPSALDO").AsFloat(), -1234.5);
    EXPECT_DOUBLE_EQ(a->FieldByName("DTIMPSALDO").AsDateTime(), EncodeDate(2024, 3, 31));
    EXPECT_EQ(a->Data()["rows"][0][0], "2024-03-31");
}

// Rows read apart (as a reply arrives, off the user-interface thread) are taken in one step,
// and only by a set with the fields they were read for.
TEST(Packet, RowsReadApartAreTakenOnlyByASetOfTheirFields) {
    const std::string text = BalancePacket({{"1.1", "Ação Ltda", -1234.5, "Não"}});
    auto a = MakeBalanceSet();
    core::JsonReader reader(text);
    PacketRows rows = PacketRows::Read(reader, a->FieldDefs());
    EXPECT_EQ(rows.Count(), 1u);
    EXPECT_FALSE(a->Active()) << "reading touches no set";

    ClientDataSet other("outro");
    other.AddField({"NOME", FieldType::String, 10});
    other.CreateDataSet();
    EXPECT_THROW(other.SetData(std::move(rows)), DataSetError);
    EXPECT_EQ(other.RecordCount(), 0);

    core::JsonReader again(text);
    a->SetData(PacketRows::Read(again, a->FieldDefs()));
    EXPECT_EQ(a->FieldByName("NMRAZAOSOCIAL").AsString(), "Ação Ltda");
    EXPECT_THROW(a->SetData(PacketRows()), DataSetError);
    EXPECT_EQ(a->RecordCount(), 1) << "a refused take leaves the rows";
}

TEST(Packet, NullsAndKeyOrderAreAccepted) {
    auto set = MakeBalanceSet();
    set->LoadFromText(R"({"rows":[[null,null,null,null,null,null]],"extra":{"a":[1]},
        "fields":[{"name":"DTIMPSALDO","type":"datetime"},{"name":"CDCONTCTBL","type":"string","size":16},
        {"name":"NMRAZAOSOCIAL","type":"string","size":50},{"name":"VRIMPSALDO","type":"double"},
        {"name":"TIPSALDO","type":"fixedstring","size":3},{"name":"CDEMPRESA","type":"string","size":2}]})");
    EXPECT_EQ(set->RecordCount(), 1);
    EXPECT_TRUE(set->FieldByName("VRIMPSALDO").IsNull());
}

TEST(Packet, RefusedPacketsLeaveTheSetAsItWas) {
    auto set = MakeBalanceSet();
    set->LoadFromText(BalancePacket({{"A", "Alfa", 10, "Sim"}, {"B", "Beta", 20, "Não"}}));
    set->SetFilter("TIPSALDO = 'Sim'");
    set->SetFiltered(true);
    set->Edit();
    set->FieldByName("NMRAZAOSOCIAL").SetAsString("Editando");
    const std::string good = BalancePacket({{"Z", "Zeta", 1, "Sim"}});
    std::string wrongSize = good;
    wrongSize.replace(wrongSize.find("\"size\":50"), 9, "\"size\":30");
    std::string renamed = good;
    renamed.replace(renamed.find("CDEMPRESA"), 9, "CDEMPRESX");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {wrongSize,
         "Pacote de dados recusado: o campo 3 é 'NMRAZAOSOCIAL' (string, 30) no pacote, "
         "mas 'NMRAZAOSOCIAL' (string, 50) no conjunto de dados."},
        {renamed,
         "Pacote de dados recusado: o campo 6 é 'CDEMPRESX' (string, 2) no pacote, mas "
         "'CDEMPRESA' (string, 2) no conjunto de dados."},
        {BalancePacket({{"Z", "Zeta", 1, "Nãoo"}}),
         "Pacote de dados recusado: o texto 'Nãoo' não cabe no campo 'TIPSALDO' da linha 1 "
         "(tamanho 3)."},
        {R"({"fields":[],"rows":[]})",
         "Pacote de dados recusado: o pacote tem 0 campos, mas são esperados 6 no conjunto de "
         "dados (falta o campo 'DTIMPSALDO' (datetime))."},
        {"{\"fields\": [",
         "Pacote de dados inválido: o texto JSON termina no meio de um valor (byte 13)."},
        {"[]", "Pacote de dados inválido: era esperado um objeto com \"fields\" e \"rows\"."},
        {R"({"rows":[]})", "Pacote de dados inválido: falta a lista de campos (\"fields\")."},
        {R"({"rows":[],"rows":[]})",
         "Pacote de dados inválido: o membro 'rows' aparece duas vezes (byte 12)."},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(Refusal(*set, text), message);

    std::string shortRow = good;
    shortRow.replace(shortRow.find(",\"01\"]"), 5, "");
    std::string badDate = good;
    badDate.replace(badDate.find("2024-03-31"), 10, "31/03/2024");
    std::string textForNumber = good;
    textForNumber.replace(textForNumber.find("1.000000"), 8, "\"1\"");
    for (const std::string& text : {shortRow, badDate, textForNumber})
        EXPECT_NE(Refusal(*set, text).find("Pacote de dados"), std::string::npos) << text;

    EXPECT_EQ(set->State(), DataSetState::Edit);
    EXPECT_EQ(set->FieldByName("NMRAZAOSOCIAL").AsString(), "Editando");
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A"}));
    set->SetFiltered(false);
    EXPECT_EQ(Accounts(*set), (std::vector<std::string>{"A", "B"}));
    EXPECT_THROW(set->SetData(json{{"fields", json::array()}}), DataSetError);
    EXPECT_EQ(set->RecordCount(), 2);
}

TEST(Packet, ChangePacketRoundTrip) {
    const std::vector<FieldDef> fields = {
        {"D", FieldType::DateTime, 0}, {"S", FieldType::String, 3}, {"V", FieldType::Double, 0}};
    ChangePacket p{
        fields,
        {{ChangeKind::Inserted, {}, {EncodeDate(2024, 2, 29), std::string("Não"), -1.5}},
         {ChangeKind::Modified, {0.0, std::string("a"), 1.0}, {0.0, std::monostate{}, 2.0}},
         {ChangeKind::Deleted, {std::monostate{}, std::string("b"), 3.0}, {}}}};
    const json j = ToJson(p);
    EXPECT_EQ(j["changes"][0]["new"][0], "2024-02-29");
    EXPECT_FALSE(j["changes"][0].contains("old"));
    const ChangePacket back = ChangePacketFromJson(j);
    ASSERT_EQ(back.Changes.size(), 3u);
    EXPECT_EQ(back.Changes[1].New, p.Changes[1].New);
    EXPECT_EQ(back.Changes[2].Old, p.Changes[2].Old);
    EXPECT_THROW(ChangePacketFromJson(json{{"fields", FieldListToJson(fields)},
                                           {"changes", {{{"kind", "changed"}}}}}),
                 DataSetError);
    EXPECT_THROW(RecordPacketFromJson(json{{"fields", {{{"name", "S"}, {"type", "string"}}}},
                                           {"rows", json::array()}}),
                 DataSetError);  // a string field needs its size
}

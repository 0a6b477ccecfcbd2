// Record and change packets read strictly against the field list they must carry, written
// back, and the balance layouts both sides take them from.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/BalanceLayout.h"
#include "core/Calendar.h"
#include "core/Packet.h"

namespace {

using core::Cell;
using core::ChangeKind;
using core::FieldDef;
using core::FieldType;
using nlohmann::json;

const std::vector<FieldDef> kFields = {
    {"D", FieldType::DateTime, 0}, {"S", FieldType::FixedString, 3}, {"V", FieldType::Double, 0}};

std::string FieldsJson() {
    return core::FieldListToJson(kFields).dump();
}

// Every change as "kind old|new" with the cells as text.
class Recorder final : public core::ChangeSink {
  public:
    void OnChange(std::size_t index, ChangeKind kind, std::span<const Cell> old,
                  std::span<const Cell> now) override {
        std::string line = std::to_string(index) + " " + std::string(core::ChangeKindName(kind));
        const auto cells = [&](std::span<const Cell> row) {
            std::string text;
            for (const Cell& c : row) {
                text += c.kind == Cell::Kind::Null ? "null" : std::string(c.text);
                if (c.kind == Cell::Kind::Number && c.text.empty())
                    text += std::to_string(c.number);
                text += ";";
            }
            return text;
        };
        lines.push_back(line + " " + cells(old) + "|" + cells(now));
    }
    std::vector<std::string> lines;
};

std::vector<std::string> ReadChanges(const std::string& text) {
    core::JsonReader reader(text);
    Recorder recorder;
    core::ReadChangePacket(reader, kFields, "neste tipo de saldo", recorder);
    return recorder.lines;
}

std::string Refusal(const std::string& text) {
    try {
        ReadChanges(text);
    } catch (const core::PacketError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(ChangePacketTest, ChangesReachTheSinkInOrderWithTheirRows) {
    const std::string text = R"({"changes":[
        {"new":["2024-02-29","Não",1.5],"kind":"inserted"},
        {"kind":"modified","old":["2024-01-31",null,1],"new":["2024-01-31","a",2]},
        {"kind":"deleted","old":["2024-01-31T10:30:00","b\"",-3e2]}],
        "fields":)" + FieldsJson() +
                             "}";
    EXPECT_EQ(ReadChanges(text), (std::vector<std::string>{
                                     "0 inserted |2024-02-29;Não;1.500000;",
                                     "1 modified 2024-01-31;null;1.000000;|2024-01-31;a;2.000000;",
                                     "2 deleted 2024-01-31T10:30:00;b\";-300.000000;|"}));
}

TEST(ChangePacketTest, RefusalsNameTheChangeAndTheField) {
    const std::string fields = "\"fields\":" + FieldsJson();
    const auto packet = [&](const std::string& change) {
        return "{" + fields + ",\"changes\":[" + change + "]}";
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {packet(R"({"kind":"inserted","new":["2024-01-31","Nãoo",1]})"),
         "o texto 'Nãoo' não cabe no campo 'S' da alteração 1 (new) (tamanho 3)"},
        {packet(R"({"kind":"inserted","new":["2024-02-30","x",1]})"),
         "data inválida '2024-02-30' no campo 'D' da alteração 1 (new)"},
        {packet(R"({"kind":"inserted","new":["2024-01-31","x","1,00"]})"),
         "era esperado um número no campo 'V' da alteração 1 (new)"},
        {packet(R"({"kind":"inserted","new":["2024-01-31",7,1]})"),
         "era esperado um texto no campo 'S'"},
        {packet(R"({"kind":"inserted","new":["2024-01-31","x",true]})"),
         "valor inesperado no campo 'V'"},
        {packet(R"({"kind":"inserted","new":["2024-01-31","x"]})"),
         "a alteração 1 (new) tem 2 valores; são esperados 3"},
        {packet(R"({"kind":"inserted","new":["2024-01-31","x",1,2]})"), "valores demais"},
        {packet(R"({"kind":"inserted","new":{}})"), "os valores devem ser uma lista"},
        {packet(R"({"kind":"inserted","old":["2024-01-31","x",1],"new":["2024-01-31","x",1]})"),
         "alteração 1: \"inserted\" leva só \"new\""},
        {packet(R"({"kind":"modified","new":["2024-01-31","x",1]})"),
         "\"modified\" leva \"old\" e \"new\""},
        {packet(R"({"kind":"deleted"})"), "\"deleted\" leva só \"old\""},
        {packet(R"({"old":["2024-01-31","x",1]})"), "\"kind\" deve ser inserted, modified"},
        {packet(R"({"kind":"upserted","new":["2024-01-31","x",1]})"), "\"kind\" deve ser"},
        {packet(R"({"kind":"inserted","new":["2024-01-31","x",1],"why":1})"),
         "alteração 1: atributo desconhecido 'why'"},
        {packet("7"), "alteração 1 não é um objeto"},
        {"{" + fields + ",\"changes\":{}}", "\"changes\" deve ser uma lista"},
        {"{" + fields + ",\"changes\":[],\"extra\":1}", "atributo desconhecido 'extra'"},
        {"{" + fields + "}", "faltam \"fields\" ou \"changes\""},
        {"[]", "era esperado um objeto com \"fields\" e \"changes\""},
        {R"({"fields":[{"name":"D","type":"datetime"},{"name":"S","type":"fixedstring","size":4},{"name":"V","type":"double"}],"changes":[]})",
         "o campo 2 é 'S' (fixedstring, 4) no pacote, mas 'S' (fixedstring, 3) neste tipo de "
         "saldo"},
        {R"({"fields":[{"name":"D","type":"datetime"},{"name":"S","type":"fixedstring","size":3},{"name":"V","type":"double"},{"name":"OBS","type":"string","size":9}],"changes":[]})",
         "sobra o campo 'OBS' (string, 9)"},
        {R"({"fields":[{"name":"D","type":"datetime"}],"changes":[]})",
         "falta o campo 'S' (fixedstring, 3)"},
        {R"({"fields":[{"name":"D","type":"datetime","size":2}],"changes":[]})",
         "não leva tamanho"},
        {R"({"fields":[{"name":"S","type":"string"}],"changes":[]})", "não tem tamanho"},
        {R"({"fields":[{"name":"S","type":"text","size":1}],"changes":[]})",
         "tipo desconhecido 'text'"},
        {R"({"fields":[{"name":"S","type":"string","size":1.5}],"changes":[]})",
         "tamanho inválido"},
        {R"({"fields":[{"name":"S","type":"string","size":1,"pk":true}],"changes":[]})",
         "atributo desconhecido 'pk'"},
        {"{" + fields + ",\"changes\":[]} []", "texto depois do fim"},
        {"{" + fields + ",\"changes\":[1e999]}", "fora do alcance"},
    };
    for (const auto& [text, part] : cases) {
        const std::string message = Refusal(text);
        EXPECT_NE(message.find(part), std::string::npos) << text << "\n" << message;
        EXPECT_EQ(message.rfind("Pacote de alterações", 0), 0u) << message;
    }
}

TEST(RecordPacketTest, WrittenTextReadsBackAndOtherMembersAreIgnored) {
    std::string text;
    core::RecordPacketWriter writer(text, kFields);
    writer.BeginRow();
    writer.Text("2024-03-31");
    writer.Text("Açã");
    writer.Number(-1234.5);
    writer.EndRow();
    writer.BeginRow();
    writer.Null();
    writer.Null();
    writer.Null();
    writer.EndRow();
    writer.Finish();
    const json parsed = json::parse(text);
    EXPECT_EQ(parsed["rows"][0][1], "Açã");
    const core::RecordPacket packet = core::RecordPacketFromJson(parsed);
    ASSERT_EQ(packet.Rows.size(), 2u);
    double march = 0;
    core::TryEncodeDate(2024, 3, 31, march);
    EXPECT_EQ(packet.Rows[0], (core::Row{march, std::string("Açã"), -1234.5}));
    EXPECT_TRUE(core::IsNull(packet.Rows[1][2]));
    EXPECT_EQ(core::ToJson(packet), parsed);

    // Rows before fields, and members nobody knows, read the same.
    const std::string reordered =
        R"({"x":{"y":[1,2]},"rows":[["2024-03-31","Açã",-1234.5]],"fields":)" + FieldsJson() + "}";
    core::JsonReader reader(reordered);
    struct Count final : core::RecordSink {
        void OnCell(std::size_t, const Cell&) override { ++cells; }
        void OnRowEnd() override { ++rows; }
        int cells = 0, rows = 0;
    } count;
    core::ReadRecordPacket(reader, kFields, "no conjunto de dados", count);
    EXPECT_EQ(count.rows, 1);
    EXPECT_EQ(count.cells, 3);
}

TEST(BalanceLayoutTest, KindsTagsCodesAndFieldLists) {
    EXPECT_EQ(core::kSaldComerServer, "Rdq63500.rdmSaldComer");
    EXPECT_EQ(core::KindOfTag(""), core::BalanceKind::Suppliers);
    EXPECT_EQ(core::KindOfTag("SaldClie"), core::BalanceKind::Clients);
    EXPECT_EQ(core::KindOfTag("SaldBanco"), core::BalanceKind::Banks);
    EXPECT_FALSE(core::KindOfTag("SaldForn"));
    EXPECT_EQ(core::KindInfo(core::BalanceKind::Clients).code, "C");
    const auto& suppliers = core::BalanceFields(core::BalanceKind::Suppliers);
    ASSERT_EQ(suppliers.size(), 11u);
    EXPECT_EQ(suppliers[core::kVrImpSaldo], (FieldDef{"VRIMPSALDO", FieldType::Double, 0}));
    EXPECT_EQ(suppliers[core::kTipSaldo], (FieldDef{"TIPSALDO", FieldType::FixedString, 3}));
    EXPECT_EQ(suppliers[core::kIdTpiJur], (FieldDef{"IDTPIJUR", FieldType::String, 1}));
    const auto& banks = core::BalanceFields(core::BalanceKind::Banks);
    ASSERT_EQ(banks.size(), 10u);
    EXPECT_EQ(banks[core::kNmRazaoSocial].Size, 30);
    EXPECT_EQ(banks[core::kNrInsJur].Size, 3);
}

}  // namespace

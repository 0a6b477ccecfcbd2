// The balance rows' field lists, the kind table and the message catalogue.
#include <gtest/gtest.h>

#include <set>

#include "library/Orv_msg.h"
#include "platform/Exceptions.h"
#include "records/BalanceFields.h"
#include "records/BalanceKind.h"
#include "records/MessageCatalogue.h"

using namespace records;

namespace {

std::vector<std::string> Names(const std::vector<BalanceField>& fields) {
    std::vector<std::string> names;
    for (const auto& f : fields) names.push_back(f.name);
    return names;
}

const BalanceField& Field(const std::vector<BalanceField>& fields, const std::string& name) {
    for (const auto& f : fields)
        if (f.name == name) return f;
    throw std::runtime_error("no field " + name);
}

}  // namespace

TEST(BalanceKindTest, IndexSelectsSetTagCodeAndOwner) {
    EXPECT_EQ(InfoOf(BalanceKind::Suppliers).recordSet, "cdsSaldForn");
    EXPECT_EQ(InfoOf(BalanceKind::Suppliers).serverTag, "");
    EXPECT_EQ(InfoOf(BalanceKind::Clients).serverTag, "SaldClie");
    EXPECT_EQ(InfoOf(BalanceKind::Banks).serverTag, "SaldBanco");
    EXPECT_EQ(InfoOf(BalanceKind::Clients).kindCode, "C");
    EXPECT_EQ(InfoOf(BalanceKind::Banks).ownerQuery, "qryBanco");
    EXPECT_EQ(InfoOf(BalanceKind::Banks).ownerLabel, "Nome Banco");
    EXPECT_EQ(KindOfIndex(1), BalanceKind::Clients);
    EXPECT_FALSE(KindOfIndex(-1));
    EXPECT_FALSE(KindOfIndex(3));
}

TEST(BalanceFieldsTest, SupplierAndClientRowsHaveElevenFieldsInOrder) {
    const std::vector<std::string> expected{
        "DTIMPSALDO", "CDCONTCTBL", "NMCONTCTBL", "NMRAZAOSOCIAL", "VRIMPSALDO", "TIPSALDO",
        "CDEMPRESA",  "IDSALDCOME", "CDSALDCOME", "NRINSJUR",      "IDTPIJUR"};
    EXPECT_EQ(Names(BalanceFieldList(BalanceKind::Suppliers)), expected);
    EXPECT_EQ(Names(BalanceFieldList(BalanceKind::Clients)), expected);
    const auto fields = BalanceFieldList(BalanceKind::Clients);
    EXPECT_EQ(fields[kPosDTIMPSALDO].type, platform::FieldType::DateTime);
    EXPECT_EQ(fields[kPosCDCONTCTBL].size, 16);
    EXPECT_EQ(fields[kPosVRIMPSALDO].type, platform::FieldType::Double);
    EXPECT_EQ(fields[kPosVRIMPSALDO].displayWidth, 15);
    EXPECT_EQ(Field(fields, "TIPSALDO").type, platform::FieldType::FixedString);
    EXPECT_EQ(Field(fields, "NMRAZAOSOCIAL").label, "Nome Cliente");
    EXPECT_EQ(Field(fields, "DTIMPSALDO").displayFormat, "mm/yyyy");
    EXPECT_EQ(Field(fields, "DTIMPSALDO").editMask, "!99/0000;1;_");
    for (const char* hidden : {"CDEMPRESA", "IDSALDCOME", "CDSALDCOME", "NRINSJUR", "IDTPIJUR"})
        EXPECT_FALSE(Field(fields, hidden).visible) << hidden;
}

TEST(BalanceFieldsTest, BankRowIsShorterAndHasNoRegistrationType) {
    const auto bank = BalanceFieldList(BalanceKind::Banks);
    ASSERT_EQ(bank.size(), 10u);
    EXPECT_EQ(bank.back().name, "NRINSJUR");
    EXPECT_EQ(Field(bank, "NRINSJUR").size, 3);
    EXPECT_EQ(Field(bank, "NMRAZAOSOCIAL").size, 30);
    EXPECT_EQ(Field(bank, "NMRAZAOSOCIAL").displayWidth, 30);
    EXPECT_EQ(Field(bank, "NMRAZAOSOCIAL").label, "Nome Banco");
    EXPECT_EQ(Field(bank, "DTIMPSALDO").displayFormat, "");
    const auto supplier = BalanceFieldList(BalanceKind::Suppliers);
    EXPECT_EQ(Field(supplier, "NMRAZAOSOCIAL").size, 50);
    EXPECT_EQ(Field(supplier, "NRINSJUR").size, 20);
}

TEST(BalanceFieldsTest, PacketLayoutIsCoresAndOnlyTheValueIsMoney) {
    for (const auto kind : {BalanceKind::Suppliers, BalanceKind::Clients, BalanceKind::Banks}) {
        const auto fields = BalanceFieldList(kind);
        const auto& layout = core::BalanceFields(kind);
        ASSERT_EQ(fields.size(), layout.size());
        for (std::size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ((core::FieldDef{fields[i].name, fields[i].type, fields[i].size}), layout[i]);
            EXPECT_EQ(fields[i].money, fields[i].name == "VRIMPSALDO") << fields[i].name;
        }
        EXPECT_EQ(InfoOf(kind).serverTag, core::KindInfo(kind).tag);
        EXPECT_EQ(InfoOf(kind).kindCode, core::KindInfo(kind).code);
    }
}

TEST(MessageCatalogueTest, KeysMatchRegardlessOfCase) {
    const library::TMessages msg(MessageCatalogue());
    EXPECT_EQ(msg.Msg("Empr_Inv"), "Empresa deve ser informada.");
    EXPECT_EQ(msg.Msg("EMPR_CAD"), "Empresa não cadastrada.");
    EXPECT_EQ(msg.Msg("data_inv"), "Data inválida!");
    EXPECT_EQ(msg.Msg("Saldo_ContCtbl"),
              "Não é possível implantar saldo! Saldo insuficiente na Conta Contábil.");
    EXPECT_EQ(msg.Msg("n"), "Não");
    EXPECT_THROW(msg.Msg("Nao_Existe"), platform::Error);
}

TEST(MessageCatalogueTest, HoldsEveryKeyOnceWithAText) {
    std::set<std::string> keys;
    for (const auto& line : MessageCatalogue()) {
        const auto bar = line.find('|');
        ASSERT_NE(bar, std::string::npos) << line;
        EXPECT_FALSE(line.substr(bar + 1).empty()) << line;
        std::string key = line.substr(0, bar);
        for (auto& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(keys.insert(key).second) << "duplicate " << line;
    }
    EXPECT_EQ(keys.size(), 45u);
}

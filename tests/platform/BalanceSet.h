// A record set shaped like the balance rows, and a data link that records what it is told.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataLink.h"
#include "platform/data/Field.h"
#include "platform/text/DateTime.h"

namespace testing_platform {

inline std::unique_ptr<platform::ClientDataSet> MakeBalanceSet() {
    using platform::FieldType;
    auto set = std::make_unique<platform::ClientDataSet>("cdsSaldForn");
    set->AddField("DTIMPSALDO", FieldType::DateTime).SetDisplayLabel("Data");
    set->AddField("CDCONTCTBL", FieldType::String, 16).SetDisplayLabel("Conta Contábil");
    set->AddField("NMRAZAOSOCIAL", FieldType::String, 50);
    set->AddField("VRIMPSALDO", FieldType::Double).SetDisplayLabel("Valor");
    set->AddField("TIPSALDO", FieldType::FixedString, 3).SetDisplayLabel("Saldo Implantado");
    set->AddField("CDEMPRESA", FieldType::String, 2).SetVisible(false);
    return set;
}

// A packet with the given rows of (account, owner, value, implanted).
struct BalanceRow {
    std::string account, owner;
    double value;
    std::string implanted;
};

inline std::string BalancePacket(const std::vector<BalanceRow>& rows) {
    std::string text = R"({"fields":[{"name":"DTIMPSALDO","type":"datetime"},)"
                       R"({"name":"CDCONTCTBL","type":"string","size":16},)"
                       R"({"name":"NMRAZAOSOCIAL","type":"string","size":50},)"
                       R"({"name":"VRIMPSALDO","type":"double"},)"
                       R"({"name":"TIPSALDO","type":"fixedstring","size":3},)"
                       R"({"name":"CDEMPRESA","type":"string","size":2}],"rows":[)";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const BalanceRow& r = rows[i];
        if (i > 0) text += ",";
        text += R"(["2024-03-31",")" + r.account + R"(",")" + r.owner + R"(",)" +
                std::to_string(r.value) + R"(,")" + r.implanted + R"(","01"])";
    }
    return text + "]}";
}

// Accounts of the rows in view, in order (the cursor ends where it was).
inline std::vector<std::string> Accounts(platform::ClientDataSet& set) {
    std::vector<std::string> out;
    for (int i = 0; i < set.RecordCount(); ++i)
        out.push_back(set.VisibleRowText(i, set.FieldByName("CDCONTCTBL"), true));
    return out;
}

class TraceLink : public platform::DataLink {
  public:
    std::vector<std::string> trace;
    platform::Field* focusTarget = nullptr;

    void ActiveChanged() override { trace.push_back(Active() ? "active" : "inactive"); }
    void StateChanged() override { trace.push_back("state"); }
    void DataSetChanged() override { trace.push_back("changed"); }
    void DataSetScrolled() override { trace.push_back("scrolled"); }
    void RecordChanged(platform::Field* field) override {
        trace.push_back("record:" + (field != nullptr ? field->FieldName() : std::string("*")));
    }
    bool FocusField(platform::Field& field) override {
        trace.push_back("focus:" + field.FieldName());
        focusTarget = &field;
        return true;
    }
};

}  // namespace testing_platform

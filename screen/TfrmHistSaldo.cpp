// The history window's composition: a heading and a read-only grid over the history packet.
#include "screen/TfrmHistSaldo.h"

#include "core/BalanceLayout.h"

namespace {

struct Column {
    const char* label;
    int width;
    bool money;
};

// In the order of core::HistoryFields().
const Column kColumns[] = {
    {"Quando", 20, false},    {"Usuário", 16, false},       {"Endereço", 15, false},
    {"Alteração", 10, false}, {"Valor anterior", 16, true}, {"Implantado", 10, false},
    {"Valor novo", 16, true}, {"Implantado", 10, false},
};

}  // namespace

TfrmHistSaldo::TfrmHistSaldo(platform::Application& app) : platform::Form(app) {
    SetName("frmHistSaldo");
    SetCaption("Histórico do saldo");
    SetBounds(360, 200, 900, 360);

    lblSaldo = Create<platform::Label>();
    lblSaldo->SetName("lblSaldo");
    lblSaldo->SetParent(this);
    lblSaldo->SetAlign(platform::Align::Top);
    lblSaldo->SetFontBold(true);

    const auto& fields = core::HistoryFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        auto& field = cdsHistorico.AddField(fields[i]);
        field.SetDisplayLabel(kColumns[i].label);
        field.SetDisplayWidth(kColumns[i].width);
        field.SetMoney(kColumns[i].money);
    }
    cdsHistorico.SetReadOnly(true);
    dtsHistorico.SetDataSet(&cdsHistorico);

    dbgHistorico = Create<platform::DBGrid>();
    dbgHistorico->SetName("dbgHistorico");
    dbgHistorico->SetParent(this);
    dbgHistorico->SetAlign(platform::Align::Client);
    dbgHistorico->SetReadOnly(true);
    dbgHistorico->SetDataSource(&dtsHistorico);

    OnClose = [](platform::Component*, platform::CloseAction& action) {
        action = platform::CloseAction::Free;
    };
}

TfrmHistSaldo::~TfrmHistSaldo() {
    // The grid holds a link to dtsHistorico: free it while the link is alive.
    dtsHistorico.SetDataSet(nullptr);
    DestroyComponents();
    if (Destroyed) Destroyed();
}

void TfrmHistSaldo::Mostra(const std::string& heading, const nlohmann::json& packet) {
    lblSaldo->SetCaption(heading);
    cdsHistorico.SetData(packet);
    Show();
}

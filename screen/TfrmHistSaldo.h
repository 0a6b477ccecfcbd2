// The window "Histórico do saldo": who changed one balance, when, from what to what, as the
// server's audit trail tells it. Read-only; it frees itself when closed, and the screen that
// opened it frees it when the screen goes (its code lives in the screen's module).
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/Form.h"
#include "platform/ui/Label.h"

class TfrmHistSaldo : public platform::Form {
  public:
    explicit TfrmHistSaldo(platform::Application& app);
    ~TfrmHistSaldo() override;

    // Shows the history packet (GetHistSaldComer) under a heading naming the balance.
    void Mostra(const std::string& heading, const nlohmann::json& packet);

    platform::Label* lblSaldo;
    platform::DBGrid* dbgHistorico;
    platform::ClientDataSet cdsHistorico;
    platform::DataSource dtsHistorico;

    // Run by the destructor: the screen forgets the window here.
    std::function<void()> Destroyed;
};

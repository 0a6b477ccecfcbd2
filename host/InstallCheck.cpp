// The installation check: each step is run on its own and reported, errors included, as text.
#include "host/InstallCheck.h"

#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/BalanceLayout.h"
#include "db/Connection.h"
#include "host/Module.h"
#include "library/Orvane.h"
#include "library/TNetConnection.h"
#include "library/dtmDBGeral.h"
#include "platform/app/Application.h"
#include "platform/app/DialogPort.h"
#include "platform/ui/Form.h"

namespace host {

namespace {

// Dialogs raised while checking become failures of the step instead of windows.
class RecordingDialogs : public platform::DialogPort {
  public:
    void ShowError(const std::string& text) override { errors.push_back(text); }
    int Ask(const std::string&, platform::DialogType, platform::DialogButtons, int) override {
        return platform::mrNo;
    }
    std::optional<std::size_t> PickRow(const std::string&, const std::vector<std::string>&,
                                       const std::vector<std::vector<std::string>>&) override {
        return std::nullopt;
    }
    void StartBusy(int) override {}
    void StopBusy() override {}

    std::vector<std::string> errors;
};

}  // namespace

int RunInstallCheck(ModuleTable& modules, const std::vector<std::string>& codes,
                    std::ostream& out) {
    platform::Application& app = platform::Application::Instance();
    RecordingDialogs dialogs;
    platform::DialogPort* previous = app.Dialogs();
    app.SetDialogs(&dialogs);
    bool passed = true;
    const auto step = [&](const std::string& name, const std::function<std::string()>& run) {
        dialogs.errors.clear();
        std::string result;
        try {
            result = run();
        } catch (const std::exception& e) {
            dialogs.errors.emplace_back(e.what());
        }
        if (dialogs.errors.empty()) {
            out << "ok     " << name << ": " << result << '\n';
        } else {
            passed = false;
            for (const auto& error : dialogs.errors)
                out << "FALHOU " << name << ": " << error << '\n';
        }
    };

    step("banco de dados", [] {
        auto& data = library::dtmDBGeral();
        const auto companies = data.Connection().Select("SELECT COUNT(*) FROM EMPRESA");
        return library::DialectName(data.Dialect()) + ", " +
               companies.rows.at(0).at(0).value_or("0") + " empresa(s)";
    });
    step("servidor de aplicação", [] {
        library::TNetConnection connection;
        connection.ServerName = std::string(core::kSaldComerServer);
        connection.Host = library::WebURL();
        connection.Port = library::WebPort();
        connection.Timeout = std::chrono::seconds(10);
        // A read that changes nothing and that only this application server answers.
        const auto result = connection.Call("GetVdSaldoContCtbl", {"", "", "", 0.0});
        if (!result.Payload.is_boolean())
            throw std::runtime_error("resposta inesperada de " + connection.Host + ":" +
                                     std::to_string(connection.Port));
        return connection.Host + ":" + std::to_string(connection.Port) + " responde";
    });
    for (const auto& code : codes) {
        step("tela " + code, [&] {
            std::string caption;
            app.RunEvent([&] { modules.Open(code); });
            for (platform::Form* form : app.Forms()) {
                caption = form->Caption();
                form->Close();
            }
            app.ProcessMessages();
            if (caption.empty()) throw std::runtime_error("o módulo não abriu nenhuma tela");
            return "\"" + caption + "\" aberta e fechada";
        });
    }
    app.SetDialogs(previous);
    return passed ? 0 : 1;
}

}  // namespace host

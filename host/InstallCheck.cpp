// The installation check: each step is run on its own and reported, errors included, as text.
#include "host/InstallCheck.h"

#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "host/Companies.h"
#include "host/Module.h"
#include "host/ServerCall.h"
#include "library/dtmDBGeral.h"
#include "platform/app/Application.h"
#include "platform/app/DialogPort.h"
#include "platform/ui/Form.h"
#include "services/SaldComerService.h"

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
        const auto companies = ReadCompanies().size();
        return library::DialectName(library::dtmDBGeral().Dialect()) + ", " +
               std::to_string(companies) + " empresa(s)";
    });
    step("servidor de aplicação", [] {
        // A read that changes nothing and that only this application server answers; asking
        // who calls first is its answer too (the check has no window to log in with).
        const library::TServerResult result =
            TryServer(services::kGetVdSaldoContCtbl, {"", "", "", 0.0}, std::chrono::seconds(10));
        if (library::IdentificationNeeded(result))
            return ServerAddress() + " responde e pede identificação";
        if (!result.Ok) throw std::runtime_error(result.Error);
        if (!result.Payload.is_boolean())
            throw std::runtime_error("resposta inesperada de " + ServerAddress());
        return ServerAddress() + " responde";
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

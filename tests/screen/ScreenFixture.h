// The balance screen opened through the module against a real server, with the steps a user
// takes on its filter panel, direct SQL on the server's database file, and a trace of the
// commands' enabled state and the grids' bindings as the framework reports their changes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/Connection.h"
#include "platform/app/Application.h"
#include "platform/ui/Menu.h"
#include "tests/support/ModuleFixture.h"

namespace screentest {

class ScreenFixture : public testsupport::ModuleFixture {
  protected:
    TfrmSaldComerc& Open() {
        IniProc();
        return Screen();
    }

    // The user types the code over the company code field's text.
    void TypeCompany(const std::string& code) { Screen().medCdEmpresa->UserSetText(code); }
    // The user clicks into the data-sheet grid, out of the filter panel.
    void LeavePanel() { Screen().dbgPadrao->UserFocus(); }
    // The user clicks into the company code field, into the filter panel.
    void EnterPanel() { Screen().medCdEmpresa->UserFocus(); }
    bool FocusInPanel() const {
        const auto* focused = Screen().ActiveControl();
        return focused != nullptr && Screen().panFiltro->Contains(focused);
    }

    // Opens the screen, types the company and leaves the panel: the suppliers are loaded.
    TfrmSaldComerc& OpenLoaded(const std::string& company = "01") {
        auto& s = Open();
        TypeCompany(company);
        LeavePanel();
        return s;
    }

    std::unique_ptr<db::Connection> Database() const {
        return db::Connection::Open(Server()->DatabaseURL());
    }
    // Balances stored for the company and kind ("F", "C", "B"); implanted "S" or "N".
    int StoredBalances(const std::string& company, const std::string& kind,
                       const std::string& implanted) const {
        const auto result = Database()->Select(
            "SELECT COUNT(*) AS N FROM SALDCOME WHERE CDEMPRESA = :C AND IDSALDCOME = :K"
            " AND TIPSALDO = :T",
            {{"C", company}, {"K", kind}, {"T", implanted}});
        return std::stoi(result.rows.at(0).at(0).value());
    }
    // A company with no balances at all.
    void AddCompany(const std::string& code, const std::string& name) const {
        Database()->Execute("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (:C, :N)",
                            {{"C", code}, {"N", name}});
    }

    // The available commands, named by their buttons' hints in tool-bar order; each menu
    // entry is checked to follow its button.
    std::string Commands() const {
        const auto& s = Screen();
        const std::pair<platform::ToolButton*, platform::MenuItem*> commands[] = {
            {s.sbtIncluir, s.mnuIncluir},     {s.sbtAlterar, s.mnuAlterar},
            {s.sbtExcluir, s.mnuExcluir},     {s.sbtProcurar, s.mnuProcurar},
            {s.sbtVerificar, s.mnuVerificar}, {s.sbtCancelar, s.mnuCancelar},
            {s.sbtConfirmar, s.mnuConfirmar},
        };
        std::string names;
        for (const auto& [button, entry] : commands) {
            EXPECT_EQ(entry->Enabled(), button->Enabled()) << entry->Name();
            if (button->Enabled()) names += (names.empty() ? "" : " ") + button->Hint();
        }
        return names;
    }

    // The busy-animation lines of the dialog log, taken from it.
    std::vector<std::string> TakeBusyLog() {
        std::vector<std::string> busy;
        for (auto& line : dialogs.TakeLog())
            if (line.rfind("busy", 0) == 0) busy.push_back(std::move(line));
        return busy;
    }

    // The values of one field over the rows the set shows under its filter.
    static std::vector<std::string> Column(const platform::ClientDataSet& set,
                                           const std::string& field) {
        std::vector<std::string> values;
        for (int row = 0; row < set.RecordCount(); ++row)
            values.push_back(set.VisibleRowText(row, set.FieldByName(field), true));
        return values;
    }
};

// Records, in order, each change of a command's enabled state ("sbtIncluir off") and of a
// control's data link ("dbgPadrao bound"), as the framework notifies them.
class Trace {
  public:
    Trace() {
        token_ = platform::Application::Instance().SubscribeApp(
            [this](const platform::Notification& n) { Record(n); });
    }
    ~Trace() { platform::Application::Instance().UnsubscribeApp(token_); }
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    std::vector<std::string> Take() { return std::exchange(lines_, {}); }

  private:
    void Record(const platform::Notification& n) {
        if (n.event != platform::AppEvent::PropertyChanged || n.component == nullptr) return;
        const std::string& name = n.component->Name();
        if (n.property == platform::Property::Enabled &&
            (name.rfind("sbt", 0) == 0 || name.rfind("mnu", 0) == 0)) {
            bool on = false;
            if (auto* control = dynamic_cast<platform::Control*>(n.component))
                on = control->Enabled();
            else if (auto* entry = dynamic_cast<platform::MenuItem*>(n.component))
                on = entry->Enabled();
            lines_.push_back(name + (on ? " on" : " off"));
        } else if (n.property == platform::Property::DataSource) {
            lines_.push_back(name + " bound");
        }
    }

    int token_ = 0;
    std::vector<std::string> lines_;
};

}  // namespace screentest

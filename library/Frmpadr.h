// TfrmPadrao: the base maintenance screen of the accounting client. It builds the tool
// bar, the menu, the data-sheet and entry pages, the navigator bar, the standard messages
// and the print dialogs, and routes every command (tool button and menu entry alike) to a
// virtual handler that a screen overrides where it replaces the command.
#pragma once

#include <string>

#include "library/Orv_msg.h"
#include "platform/data/DataSource.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/DBText.h"
#include "platform/ui/Form.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menu.h"
#include "platform/ui/PageControl.h"
#include "platform/ui/Panel.h"
#include "platform/ui/ToolButton.h"

namespace platform {
class Field;
}

namespace library {

class TNetConnection;
struct TNetEvent;

// The hint a base screen gives where a field's value is typed: for a value column (a double
// field named VR..., signed: credit positive, debit negative) how a debit is typed; "" for
// any other field.
std::string EntryHint(const platform::Field& field);

// The record commands of the tool bar, each a tool button with its menu entry.
enum class Command { Incluir, Alterar, Excluir, Procurar, Verificar, Cancelar, Confirmar };

// Whether each record command is available.
struct CommandState {
    bool incluir = false;
    bool alterar = false;
    bool excluir = false;
    bool procurar = false;
    bool verificar = false;
    bool cancelar = false;
    bool confirmar = false;

    bool operator==(const CommandState&) const = default;
};

// A print or printer-setup dialog; the balance screens have no printing yet, so the
// dialogs only stand on the form for the screens that do.
class TPrintDialog : public platform::Component {
  public:
    ~TPrintDialog() override { DestroyComponents(); }
};

class TfrmPadrao : public platform::Form {
  public:
    explicit TfrmPadrao(platform::Application& app);
    ~TfrmPadrao() override;

    // Tool bar and its buttons.
    platform::Panel* panMenu;
    platform::ToolButton* sbtIncluir;
    platform::ToolButton* sbtAlterar;
    platform::ToolButton* sbtExcluir;
    platform::ToolButton* sbtProcurar;
    platform::ToolButton* sbtVerificar;
    platform::ToolButton* sbtCancelar;
    platform::ToolButton* sbtConfirmar;
    platform::ToolButton* sbtImprimir;

    // Main menu: "Arquivo" (listing, printer set-up), "Editar" (the record commands) and
    // "Exibir" (the two pages).
    platform::MainMenu* mnuMenu;
    platform::MenuItem* mnuArquivo;
    platform::MenuItem* mnuListagem;
    platform::MenuItem* mnuConfigImpressora;
    platform::MenuItem* mnuEditar;
    platform::MenuItem* mnuIncluir;
    platform::MenuItem* mnuAlterar;
    platform::MenuItem* mnuExcluir;
    platform::MenuItem* mnuProcurar;
    platform::MenuItem* mnuVerificar;
    platform::MenuItem* mnuCancelar;
    platform::MenuItem* mnuConfirmar;
    platform::MenuItem* mnuExibir;
    platform::MenuItem* mnuFolhaDados;
    platform::MenuItem* mnuFormulario;
    platform::MenuItem* mnuLinha1;

    // The two pages: the data sheet with its grid, and the entry page the screen fills.
    platform::PageControl* pgcPadrao;
    platform::TabSheet* tshFolhaDados;
    platform::DBGrid* dbgPadrao;
    platform::TabSheet* tshFormulario;

    // Navigator bar.
    platform::Panel* panNavigator;
    platform::DBNavigator* dbnPadrao;
    platform::DBText* dbtNome;

    // The screen's code as shown to the user.
    platform::Label* lblCodTela;

    TPrintDialog* dlgImprimir;
    TPrintDialog* dlgConfigImpressora;

    // The screen's own messages, and the standard ones (the delete question under "Excl").
    TMessages* msgPadrao;
    TMessages* msgMensagensPadroes;

    // The data link every command and the navigator work through.
    platform::DataSource dtsPadrao;

    // What one row of the screen is called in its status messages ("Saldo gravado."); its
    // plural adds an "s".
    std::string RecordName = "Registro";

    // A command's button and its menu entry change together, only through these, so that the
    // two always agree: SetCommand sets the button, then its entry; SetCommands sets every
    // button (confirm, cancel, insert, alter, delete, search, verify), then every entry
    // (insert, alter, delete, verify, search, confirm, cancel).
    void SetCommand(Command command, bool enabled);
    void SetCommands(const CommandState& state);
    // The state of the commands as their buttons show it.
    CommandState Commands() const;
    platform::ToolButton* ButtonOf(Command command) const;
    platform::MenuItem* EntryOf(Command command) const;

    // Handlers, wired by name. A screen overrides what it replaces or extends; the base's
    // record commands act on dtsPadrao's set.
    virtual void FormCreate(platform::Component* sender);
    virtual void FormClose(platform::Component* sender, platform::CloseAction& action);
    virtual void FormActivate(platform::Component* sender);
    // Cancel and confirm (buttons and menu entries) are available while the link's row is
    // being edited or inserted. Data links are no components: their events pass a null sender.
    virtual void dtsPadraoStateChange(platform::Component* sender);
    virtual void sbtIncluirClick(platform::Component* sender);
    virtual void sbtAlterarClick(platform::Component* sender);
    virtual void sbtExcluirClick(platform::Component* sender);
    // Lists the rows the link shows; the picked row becomes current.
    virtual void sbtProcurarClick(platform::Component* sender);
    virtual void sbtVerificarClick(platform::Component* sender);
    // The base's cancel and confirm change no data: a screen runs them first and then
    // cancels or posts its own set.
    virtual void sbtCancelarClick(platform::Component* sender);
    virtual void sbtConfirmarClick(platform::Component* sender);
    virtual void sbtImprimirClick(platform::Component* sender);
    virtual void mnuFolhaDadosClick(platform::Component* sender);
    virtual void mnuFormularioClick(platform::Component* sender);

  protected:
    // Tells the status line what a server connection of the screen did: rows read and for
    // which company, a row stored or deleted, where the client is connected.
    void ReportNetEvent(TNetConnection& connection, const TNetEvent& event);

    // Stops the data link's events and unbinds its set. A screen whose record sets are its
    // own members calls it first in its destructor: a set destroyed while still bound would
    // otherwise run the state-change handler on controls already freed.
    void BeginDestroy();
};

}  // namespace library

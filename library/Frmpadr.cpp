// The base maintenance screen: composition and the default command handlers.
#include "library/Frmpadr.h"

#include <nlohmann/json.hpp>

#include "library/Pesquisa.h"
#include "library/TNetConnection.h"
#include "platform/app/Application.h"
#include "platform/data/Field.h"

namespace library {

namespace {

template <class T>
T* Named(platform::Component& owner, const char* name) {
    T* component = owner.Create<T>();
    component->SetName(name);
    return component;
}

template <class T>
T* Placed(platform::Component& owner, platform::WinControl* parent, const char* name) {
    T* control = Named<T>(owner, name);
    control->SetParent(parent);
    return control;
}

platform::MenuItem* Entry(platform::Component& owner, platform::MenuItem* parent, const char* name,
                          const char* caption) {
    auto* item = Named<platform::MenuItem>(owner, name);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

std::string Lowered(std::string text) {
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] + 32);
    return text;
}

// "1 saldo lido", "12 saldos lidos".
std::string Counted(std::size_t count, const std::string& noun, const std::string& participle) {
    const bool one = count == 1;
    return std::to_string(count) + " " + Lowered(noun) + (one ? " " : "s ") + participle +
           (one ? "" : "s");
}

const nlohmann::json* ArrayMember(const nlohmann::json& value, const char* name) {
    if (!value.is_object()) return nullptr;
    const auto found = value.find(name);
    return found != value.end() && found->is_array() ? &*found : nullptr;
}

}  // namespace

std::string EntryHint(const platform::Field& field) {
    if (field.DataType() != platform::FieldType::Double || field.FieldName().rfind("VR", 0) != 0)
        return {};
    return "Valor positivo é crédito (CR); o débito se digita com sinal de menos: -150,00 (DB).";
}

TfrmPadrao::TfrmPadrao(platform::Application& app) : platform::Form(app) {
    SetName("frmPadrao");
    SetFormStyle(platform::FormStyle::MDIChild);

    panMenu = Placed<platform::Panel>(*this, this, "panMenu");
    panMenu->SetAlign(platform::Align::Top);
    panMenu->SetHeight(30);
    panMenu->SetTabOrder(2);
    const auto tool = [this](const char* name, const char* hint) {
        auto* button = Placed<platform::ToolButton>(*this, panMenu, name);
        button->SetHint(hint);
        return button;
    };
    sbtIncluir = tool("sbtIncluir", "Incluir");
    sbtAlterar = tool("sbtAlterar", "Alterar");
    sbtExcluir = tool("sbtExcluir", "Excluir");
    sbtProcurar = tool("sbtProcurar", "Procurar");
    sbtVerificar = tool("sbtVerificar", "Verificar");
    sbtCancelar = tool("sbtCancelar", "Cancelar");
    sbtConfirmar = tool("sbtConfirmar", "Confirmar");
    sbtImprimir = tool("sbtImprimir", "Imprimir");

    mnuMenu = Named<platform::MainMenu>(*this, "mnuMenu");
    const auto top = [this](const char* name, const char* caption) {
        auto* item = Named<platform::MenuItem>(*this, name);
        item->SetCaption(caption);
        mnuMenu->Add(item);
        return item;
    };
    mnuArquivo = top("mnuArquivo", "&Arquivo");
    mnuListagem = Entry(*this, mnuArquivo, "mnuListagem", "&Listagem");
    mnuConfigImpressora = Entry(*this, mnuArquivo, "mnuConfigImpressora", "&Configurar Impressora");
    mnuEditar = top("mnuEditar", "&Editar");
    mnuIncluir = Entry(*this, mnuEditar, "mnuIncluir", "&Incluir");
    mnuAlterar = Entry(*this, mnuEditar, "mnuAlterar", "&Alterar");
    mnuExcluir = Entry(*this, mnuEditar, "mnuExcluir", "&Excluir");
    mnuProcurar = Entry(*this, mnuEditar, "mnuProcurar", "&Procurar");
    mnuVerificar = Entry(*this, mnuEditar, "mnuVerificar", "&Verificar");
    mnuCancelar = Entry(*this, mnuEditar, "mnuCancelar", "&Cancelar");
    mnuConfirmar = Entry(*this, mnuEditar, "mnuConfirmar", "C&onfirmar");
    mnuExibir = top("mnuExibir", "E&xibir");
    mnuFolhaDados = Entry(*this, mnuExibir, "mnuFolhaDados", "&Folha de Dados");
    mnuFormulario = Entry(*this, mnuExibir, "mnuFormulario", "F&ormulário");
    mnuLinha1 = Entry(*this, mnuExibir, "mnuLinha1", "-");
    SetMenu(mnuMenu);

    panNavigator = Placed<platform::Panel>(*this, this, "panNavigator");
    panNavigator->SetAlign(platform::Align::Bottom);
    panNavigator->SetHeight(28);
    panNavigator->SetTabOrder(3);
    dbnPadrao = Placed<platform::DBNavigator>(*this, panNavigator, "dbnPadrao");
    dbnPadrao->SetDataSource(&dtsPadrao);
    dbtNome = Placed<platform::DBText>(*this, panNavigator, "dbtNome");
    dbtNome->SetDataSource(&dtsPadrao);
    lblCodTela = Placed<platform::Label>(*this, panNavigator, "lblCodTela");

    pgcPadrao = Placed<platform::PageControl>(*this, this, "pgcPadrao");
    pgcPadrao->SetAlign(platform::Align::Client);
    pgcPadrao->SetTabOrder(4);
    tshFolhaDados = Named<platform::TabSheet>(*this, "tshFolhaDados");
    tshFolhaDados->SetCaption("Folha de Dados");
    tshFolhaDados->SetParent(pgcPadrao);
    dbgPadrao = Placed<platform::DBGrid>(*this, tshFolhaDados, "dbgPadrao");
    dbgPadrao->SetAlign(platform::Align::Client);
    dbgPadrao->SetDataSource(&dtsPadrao);
    tshFormulario = Named<platform::TabSheet>(*this, "tshFormulario");
    tshFormulario->SetCaption("Formulário");
    tshFormulario->SetParent(pgcPadrao);
    pgcPadrao->SetActivePage(tshFolhaDados);

    dlgImprimir = Named<TPrintDialog>(*this, "dlgImprimir");
    dlgConfigImpressora = Named<TPrintDialog>(*this, "dlgConfigImpressora");
    msgPadrao = Named<TMessages>(*this, "msgPadrao");
    msgMensagensPadroes = Named<TMessages>(*this, "msgMensagensPadroes");
    msgMensagensPadroes->Lines = {"Excl|Confirma a exclusão do registro?"};

    // Every command goes to its virtual handler, so a screen's override serves the tool
    // button and the menu entry alike.
    const auto wire = [this](platform::ToolButton* button, platform::MenuItem* entry,
                             void (TfrmPadrao::*handler)(platform::Component*)) {
        button->OnClick = [this, handler](platform::Component* s) { (this->*handler)(s); };
        if (entry)
            entry->OnClick = [this, handler](platform::Component* s) { (this->*handler)(s); };
    };
    wire(sbtIncluir, mnuIncluir, &TfrmPadrao::sbtIncluirClick);
    wire(sbtAlterar, mnuAlterar, &TfrmPadrao::sbtAlterarClick);
    wire(sbtExcluir, mnuExcluir, &TfrmPadrao::sbtExcluirClick);
    wire(sbtProcurar, mnuProcurar, &TfrmPadrao::sbtProcurarClick);
    wire(sbtVerificar, mnuVerificar, &TfrmPadrao::sbtVerificarClick);
    wire(sbtCancelar, mnuCancelar, &TfrmPadrao::sbtCancelarClick);
    wire(sbtConfirmar, mnuConfirmar, &TfrmPadrao::sbtConfirmarClick);
    wire(sbtImprimir, mnuListagem, &TfrmPadrao::sbtImprimirClick);
    // Every command's key, shown in its menu entry and its button's tooltip; none of them is
    // a key the edits or the grids use themselves.
    struct Key {
        platform::ToolButton* button;
        platform::MenuItem* entry;
        const char* shortCut;
        const char* image;
    };
    const Key keys[] = {
        {sbtIncluir, mnuIncluir, "Ctrl+N", "list-add"},
        {sbtAlterar, mnuAlterar, "Ctrl+M", "document-edit"},
        {sbtExcluir, mnuExcluir, "Ctrl+Shift+Del", "edit-delete"},
        {sbtProcurar, mnuProcurar, "Ctrl+F", "edit-find"},
        {sbtVerificar, mnuVerificar, "F5", "view-refresh"},
        {sbtCancelar, mnuCancelar, "F8", "dialog-cancel"},
        {sbtConfirmar, mnuConfirmar, "Ctrl+S", "document-save"},
        {sbtImprimir, mnuListagem, "Ctrl+P", "document-print"},
    };
    for (const Key& key : keys) {
        key.button->SetShortCut(key.shortCut);
        key.button->SetImageName(key.image);
        key.entry->SetShortCut(key.shortCut);
    }
    mnuConfigImpressora->SetShortCut("Ctrl+Shift+P");
    mnuFolhaDados->SetShortCut("F11");
    mnuFormulario->SetShortCut("F12");
    mnuFolhaDados->OnClick = [this](platform::Component* s) { mnuFolhaDadosClick(s); };
    mnuFormulario->OnClick = [this](platform::Component* s) { mnuFormularioClick(s); };
    dtsPadrao.OnStateChange = [this](platform::DataSource&) { dtsPadraoStateChange(nullptr); };

    OnCreate = [this](platform::Component* s) { FormCreate(s); };
    OnClose = [this](platform::Component* s, platform::CloseAction& a) { FormClose(s, a); };
    OnActivate = [this](platform::Component* s) { FormActivate(s); };
}

TfrmPadrao::~TfrmPadrao() {
    BeginDestroy();
    // The grids and texts hold links to dtsPadrao: free them while it is alive.
    DestroyComponents();
}

void TfrmPadrao::BeginDestroy() {
    dtsPadrao.OnStateChange = nullptr;
    dtsPadrao.OnDataChange = nullptr;
    dtsPadrao.SetDataSet(nullptr);
}

platform::ToolButton* TfrmPadrao::ButtonOf(Command command) const {
    switch (command) {
        case Command::Incluir:
            return sbtIncluir;
        case Command::Alterar:
            return sbtAlterar;
        case Command::Excluir:
            return sbtExcluir;
        case Command::Procurar:
            return sbtProcurar;
        case Command::Verificar:
            return sbtVerificar;
        case Command::Cancelar:
            return sbtCancelar;
        case Command::Confirmar:
            return sbtConfirmar;
    }
    return nullptr;
}

platform::MenuItem* TfrmPadrao::EntryOf(Command command) const {
    switch (command) {
        case Command::Incluir:
            return mnuIncluir;
        case Command::Alterar:
            return mnuAlterar;
        case Command::Excluir:
            return mnuExcluir;
        case Command::Procurar:
            return mnuProcurar;
        case Command::Verificar:
            return mnuVerificar;
        case Command::Cancelar:
            return mnuCancelar;
        case Command::Confirmar:
            return mnuConfirmar;
    }
    return nullptr;
}

void TfrmPadrao::SetCommand(Command command, bool enabled) {
    ButtonOf(command)->SetEnabled(enabled);
    EntryOf(command)->SetEnabled(enabled);
}

void TfrmPadrao::SetCommands(const CommandState& state) {
    sbtConfirmar->SetEnabled(state.confirmar);
    sbtCancelar->SetEnabled(state.cancelar);
    sbtIncluir->SetEnabled(state.incluir);
    sbtAlterar->SetEnabled(state.alterar);
    sbtExcluir->SetEnabled(state.excluir);
    sbtProcurar->SetEnabled(state.procurar);
    sbtVerificar->SetEnabled(state.verificar);

    mnuIncluir->SetEnabled(state.incluir);
    mnuAlterar->SetEnabled(state.alterar);
    mnuExcluir->SetEnabled(state.excluir);
    mnuVerificar->SetEnabled(state.verificar);
    mnuProcurar->SetEnabled(state.procurar);
    mnuConfirmar->SetEnabled(state.confirmar);
    mnuCancelar->SetEnabled(state.cancelar);
}

CommandState TfrmPadrao::Commands() const {
    return {sbtIncluir->Enabled(),  sbtAlterar->Enabled(),   sbtExcluir->Enabled(),
            sbtProcurar->Enabled(), sbtVerificar->Enabled(), sbtCancelar->Enabled(),
            sbtConfirmar->Enabled()};
}

void TfrmPadrao::FormCreate(platform::Component*) {
    pgcPadrao->SetActivePage(tshFolhaDados);
    SetCommand(Command::Cancelar, false);
    SetCommand(Command::Confirmar, false);
    // The screen made its server connections in its constructor: their news go to the
    // status line, unless the screen listens to them itself.
    for (std::size_t i = 0; i < ComponentCount(); ++i) {
        auto* connection = dynamic_cast<TNetConnection*>(Components(i));
        if (connection == nullptr || connection->OnEvent) continue;
        connection->OnEvent = [this](TNetConnection& c, const TNetEvent& e) {
            ReportNetEvent(c, e);
        };
    }
}

void TfrmPadrao::ReportNetEvent(TNetConnection& connection, const TNetEvent& event) {
    using Kind = TNetEvent::Kind;
    auto& app = App();
    const std::string where = connection.Where();
    switch (event.kind) {
        case Kind::Connected:
            app.ShowStatus(platform::StatusPart::Connection, "Conectado ao servidor " + where);
            return;
        case Kind::ConnectFailed:
            app.ShowStatus(platform::StatusPart::Connection, "Sem conexão com o servidor " + where);
            return;
        case Kind::Disconnected:
            app.ShowStatus(platform::StatusPart::Connection, "Desconectado do servidor " + where);
            return;
        case Kind::Reconnecting:
            app.ShowStatus(platform::StatusPart::Connection, "Reconectando ao servidor " + where);
            return;
        case Kind::CallFailed:
            app.ShowStatus(platform::StatusPart::Message, "Falhou: " + event.error);
            return;
        case Kind::CallDone:
            break;
    }
    // The accounting client's remote methods take the company code first.
    std::string company;
    if (event.arguments != nullptr && event.arguments->is_array() && !event.arguments->empty() &&
        event.arguments->front().is_string())
        company = event.arguments->front().get<std::string>();
    const std::string ofCompany = company.empty() ? "" : " da empresa " + company;
    if (event.records) {
        app.ShowStatus(platform::StatusPart::Message,
                       Counted(*event.records, RecordName, "lido") + ofCompany + ".");
        return;
    }
    if (event.result != nullptr) {
        if (const nlohmann::json* rows = ArrayMember(*event.result, "rows")) {
            app.ShowStatus(platform::StatusPart::Message,
                           Counted(rows->size(), RecordName, "lido") + ofCompany + ".");
            return;
        }
    }
    if (event.arguments == nullptr || !event.arguments->is_array()) return;
    for (const nlohmann::json& argument : *event.arguments) {
        const nlohmann::json* changes = ArrayMember(argument, "changes");
        if (changes == nullptr || changes->empty()) continue;
        std::size_t deleted = 0;
        for (const nlohmann::json& change : *changes)
            if (change.is_object() && change.value("kind", "") == "deleted") ++deleted;
        std::string text;
        if (changes->size() > 1)
            text = std::to_string(changes->size()) + " alterações gravadas" + ofCompany + ".";
        else
            text = RecordName + (deleted == 1 ? " excluído." : " gravado.");
        app.ShowStatus(platform::StatusPart::Message, text);
        return;
    }
}

void TfrmPadrao::FormClose(platform::Component*, platform::CloseAction& action) {
    action = platform::CloseAction::Free;
}

void TfrmPadrao::FormActivate(platform::Component*) {}

void TfrmPadrao::dtsPadraoStateChange(platform::Component*) {
    const auto state = dtsPadrao.State();
    const bool editing =
        state == platform::DataSetState::Edit || state == platform::DataSetState::Insert;
    SetCommand(Command::Cancelar, editing);
    SetCommand(Command::Confirmar, editing);
}

void TfrmPadrao::sbtIncluirClick(platform::Component*) {
    if (auto* set = dtsPadrao.DataSet()) {
        pgcPadrao->SetActivePage(tshFormulario);
        set->Insert();
    }
}

void TfrmPadrao::sbtAlterarClick(platform::Component*) {
    if (auto* set = dtsPadrao.DataSet()) {
        pgcPadrao->SetActivePage(tshFormulario);
        set->Edit();
    }
}

void TfrmPadrao::sbtExcluirClick(platform::Component*) {
    auto* set = dtsPadrao.DataSet();
    if (!set || set->IsEmpty()) return;
    if (msgMensagensPadroes->ShowMsg("Excl", platform::DialogType::Confirmation,
                                     platform::mbYes | platform::mbNo, 0) == platform::mrYes)
        set->Delete();
}

void TfrmPadrao::sbtProcurarClick(platform::Component*) {
    Pesquisar(dtsPadrao, Caption() + "|Nenhum registro encontrado.", false, true);
}

void TfrmPadrao::sbtVerificarClick(platform::Component*) {}

void TfrmPadrao::sbtCancelarClick(platform::Component*) {}

void TfrmPadrao::sbtConfirmarClick(platform::Component*) {}

void TfrmPadrao::sbtImprimirClick(platform::Component*) {}

void TfrmPadrao::mnuFolhaDadosClick(platform::Component*) {
    if (tshFolhaDados->Enabled()) pgcPadrao->SetActivePage(tshFolhaDados);
}

void TfrmPadrao::mnuFormularioClick(platform::Component*) {
    if (tshFormulario->Enabled()) pgcPadrao->SetActivePage(tshFormulario);
}

}  // namespace library

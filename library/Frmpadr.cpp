// The base maintenance screen: composition and the default command handlers.
#include "library/Frmpadr.h"

#include "library/Pesquisa.h"
#include "platform/app/Application.h"

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

}  // namespace

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

// The screen's composition (what it sets on the base screen, its own controls, record
// sets, server connection and look-up queries), its event wiring, creation and close.
#include "screen/TfrmSaldComerc.h"

#include <iterator>
#include <tuple>
#include <type_traits>

#include "library/Orvane.h"
#include "platform/Exceptions.h"
#include "platform/app/Application.h"
#include "records/BalanceFields.h"
#include "records/MessageCatalogue.h"
#include "screen/LookupQueries.h"
#include "screen/TfrmHistSaldo.h"
#include "services/SaldComerService.h"

namespace {

template <class T>
T* Placed(platform::Component& owner, platform::WinControl* parent, const char* name) {
    T* control = owner.Create<T>();
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

library::TADOIBQuery* Query(platform::Component& owner, void (*define)(library::TADOIBQuery&)) {
    auto* query = owner.Create<library::TADOIBQuery>();
    define(*query);
    return query;
}

constexpr library::Command kRecordCommands[] = {
    library::Command::Incluir,   library::Command::Alterar,   library::Command::Excluir,
    library::Command::Procurar,  library::Command::Verificar, library::Command::Cancelar,
    library::Command::Confirmar,
};

using Screen = TfrmSaldComerc;

// The balance row's fields, as the screen names its members for them.
constexpr const char* kFieldNames[] = {
    "DTIMPSALDO", "CDCONTCTBL", "NMCONTCTBL", "NMRAZAOSOCIAL", "VRIMPSALDO", "TIPSALDO",
    "CDEMPRESA",  "IDSALDCOME", "CDSALDCOME", "NRINSJUR",      "IDTPIJUR",
};

// What each balance kind names on the screen, in the kind table's order: its record set, its
// field members (as kFieldNames; the bank set has no IDTPIJUR), the data link of its owner
// look-up and its own handlers.
struct KindComposition {
    platform::ClientDataSet Screen::*set;
    platform::Field* Screen::*fields[std::size(kFieldNames)];
    platform::DataSource Screen::*ownerLink;
    void (Screen::*beforePost)(platform::ClientDataSet&);
    void (Screen::*afterPost)(platform::ClientDataSet&);
    void (Screen::*newRecord)(platform::ClientDataSet&);
    void (Screen::*monthSetText)(platform::Field&, const std::string&);
    void (Screen::*valueGetText)(platform::Field&, std::string&, bool);
};

constexpr KindComposition kKindComposition[] = {
    {&Screen::cdsSaldForn,
     {&Screen::cdsSaldFornDTIMPSALDO, &Screen::cdsSaldFornCDCONTCTBL,
      &Screen::cdsSaldFornNMCONTCTBL, &Screen::cdsSaldFornNMRAZAOSOCIAL,
      &Screen::cdsSaldFornVRIMPSALDO, &Screen::cdsSaldFornTIPSALDO, &Screen::cdsSaldFornCDEMPRESA,
      &Screen::cdsSaldFornIDSALDCOME, &Screen::cdsSaldFornCDSALDCOME, &Screen::cdsSaldFornNRINSJUR,
      &Screen::cdsSaldFornIDTPIJUR},
     &Screen::dtsFornecedor,
     &Screen::cdsSaldFornBeforePost,
     &Screen::cdsSaldFornAfterPost,
     &Screen::cdsSaldFornNewRecord,
     &Screen::cdsSaldFornDTIMPSALDOSetText,
     &Screen::cdsSaldFornVRIMPSALDOGetText},
    {&Screen::cdsSaldClie,
     {&Screen::cdsSaldClieDTIMPSALDO, &Screen::cdsSaldClieCDCONTCTBL,
      &Screen::cdsSaldClieNMCONTCTBL, &Screen::cdsSaldClieNMRAZAOSOCIAL,
      &Screen::cdsSaldClieVRIMPSALDO, &Screen::cdsSaldClieTIPSALDO, &Screen::cdsSaldClieCDEMPRESA,
      &Screen::cdsSaldClieIDSALDCOME, &Screen::cdsSaldClieCDSALDCOME, &Screen::cdsSaldClieNRINSJUR,
      &Screen::cdsSaldClieIDTPIJUR},
     &Screen::dtsCliente,
     &Screen::cdsSaldClieBeforePost,
     &Screen::cdsSaldClieAfterPost,
     &Screen::cdsSaldClieNewRecord,
     &Screen::cdsSaldClieDTIMPSALDOSetText,
     &Screen::cdsSaldClieVRIMPSALDOGetText},
    {&Screen::cdsSaldBanco,
     {&Screen::cdsSaldBancoDTIMPSALDO, &Screen::cdsSaldBancoCDCONTCTBL,
      &Screen::cdsSaldBancoNMCONTCTBL, &Screen::cdsSaldBancoNMRAZAOSOCIAL,
      &Screen::cdsSaldBancoVRIMPSALDO, &Screen::cdsSaldBancoTIPSALDO,
      &Screen::cdsSaldBancoCDEMPRESA, &Screen::cdsSaldBancoIDSALDCOME,
      &Screen::cdsSaldBancoCDSALDCOME, &Screen::cdsSaldBancoNRINSJUR, nullptr},
     &Screen::dtsBanco,
     &Screen::cdsSaldBancoBeforePost,
     &Screen::cdsSaldBancoAfterPost,
     &Screen::cdsSaldBancoNewRecord,
     &Screen::cdsSaldBancoDTIMPSALDOSetText,
     &Screen::cdsSaldBancoVRIMPSALDOGetText},
};
static_assert(std::size(kKindComposition) ==
              std::tuple_size_v<std::remove_cvref_t<decltype(records::Kinds())>>);

// The entry grid's design-time options: titles, column resize, column and row lines, tabs,
// row select, always-show-selection, confirm delete, cancel on exit.
constexpr unsigned kEntryGridDesignOptions = 4084;

}  // namespace

TfrmSaldComerc::TfrmSaldComerc(platform::Application& app) : library::TfrmPadrao(app) {
    SetName("frmSaldComerc");
    SetCaption("Saldo Comercial");
    SetFormStyle(platform::FormStyle::MDIChild);
    SetHelpContext(1060019);
    SetBounds(323, 162, 1010, 561);

    lblCodTela->SetCaption("RDQ63500");
    sbtImprimir->SetEnabled(false);
    pgcPadrao->SetTabStop(false);
    tshFormulario->SetCaption("Cadastro de Saldo Comercial");
    dbtNome->SetDataField("NMCONTCTBL");

    mnuFolhaDados->SetCaption("&Folha de Dados(Grade)");
    mnuFolhaDados->SetVisible(false);
    mnuFormulario->SetCaption("C&adastro de Saldo Comercial");
    mnuFormulario->SetVisible(false);
    mnuLinha1->SetVisible(false);
    mnuHistSaldo = Create<platform::MenuItem>();
    mnuHistSaldo->SetName("mnuHistSaldo");
    mnuHistSaldo->SetCaption("&Histórico do saldo");
    mnuExibir->Add(mnuHistSaldo);
    mnuListagem->SetEnabled(false);
    mnuConfigImpressora->SetEnabled(false);
    // Nothing to act on before the first successful read: every record command starts off,
    // each button with its menu entry.
    for (const auto command : kRecordCommands) SetCommand(command, false);

    msgPadrao->Lines = records::MessageCatalogue();

    ComposeFilterPanel();
    ComposeRecordSets();
    ComposeQueries();

    dbgLancSaldCome = Placed<platform::DBGrid>(*this, tshFormulario, "dbgLancSaldCome");
    dbgLancSaldCome->SetAlign(platform::Align::Client);
    dbgLancSaldCome->SetBorderStyle(platform::BorderStyle::None);
    dbgLancSaldCome->SetColor(platform::Color::InfoBk);
    dbgLancSaldCome->SetDataSource(&dtsPadrao);
    dbgLancSaldCome->SetOptions(kEntryGridDesignOptions);

    netSaldComer = Create<library::TNetConnection>();
    netSaldComer->SetName("netSaldComer");
    netSaldComer->ServerName = std::string(services::kSaldComerServer);
    netSaldComer->ThrowException = false;
    netSaldComer->BeforeConnect = [](library::TNetConnection& connection) {
        connection.Host = library::WebURL();
        connection.Port = library::WebPort();
    };

    dtsPadrao.SetDataSet(&cdsSaldForn);
    BindKinds();
    AplicaModoImplantacao(cbxImplantSaldo->Checked());
    WireEvents();
}

TfrmSaldComerc::~TfrmSaldComerc() {
    BeginDestroy();
    dtsFornecedor.OnStateChange = nullptr;
    dtsCliente.OnStateChange = nullptr;
    // The history window's code lives in this module, which may be unloaded after the screen
    // goes: the window goes first.
    if (history_ != nullptr) {
        history_->Destroyed = nullptr;
        App().RemoveComponent(history_);
        history_ = nullptr;
    }
    // Controls, queries and the connection refer to the record sets and links below.
    DestroyComponents();
    if (Destroyed) Destroyed();
}

void TfrmSaldComerc::ComposeFilterPanel() {
    panFiltro = Placed<platform::Panel>(*this, this, "panFiltro");
    panFiltro->SetAlign(platform::Align::Top);
    panFiltro->SetHeight(103);
    panFiltro->SetTabOrder(0);

    Label1 = Placed<platform::Label>(*this, panFiltro, "Label1");
    Label1->SetCaption("Empresa");
    Label1->SetFontBold(true);
    Label1->SetBounds(12, 10, 60, 16);

    medCdEmpresa = Placed<platform::MaskEdit>(*this, panFiltro, "medCdEmpresa");
    medCdEmpresa->SetEditMask("99;0; ");
    medCdEmpresa->SetMaxLength(2);
    medCdEmpresa->SetTabOrder(0);
    medCdEmpresa->SetBounds(12, 30, 40, 24);

    BtnPesquisa1 = Placed<library::TBtnPesquisa>(*this, panFiltro, "BtnPesquisa1");
    BtnPesquisa1->SetHint("Pesquisar");
    BtnPesquisa1->SetBounds(56, 30, 80, 24);
    BtnPesquisa1->Associate = medCdEmpresa;
    BtnPesquisa1->Title = "Empresa";
    BtnPesquisa1->DataSource = &dtsEmpresa;
    BtnPesquisa1->EmptyError = "Não há empresa cadastrada.";

    edtNmEmpresa = Placed<platform::Edit>(*this, panFiltro, "edtNmEmpresa");
    edtNmEmpresa->SetEnabled(false);
    edtNmEmpresa->SetTabOrder(2);
    edtNmEmpresa->SetBounds(140, 30, 360, 24);

    cbxImplantSaldo = Placed<platform::CheckBox>(*this, panFiltro, "cbxImplantSaldo");
    cbxImplantSaldo->SetCaption("Implantação de Saldo");
    cbxImplantSaldo->SetFontBold(true);
    cbxImplantSaldo->SetEnabled(false);
    cbxImplantSaldo->SetTabOrder(4);
    cbxImplantSaldo->SetBounds(12, 68, 220, 20);

    rdgTipoConta = Placed<platform::RadioGroup>(*this, panFiltro, "rdgTipoConta");
    rdgTipoConta->SetCaption("Tipo de Conta Comercial");
    rdgTipoConta->SetColumns(3);
    rdgTipoConta->SetItems({"Fornecedores", "Clientes", "Bancos"});
    rdgTipoConta->SetItemIndex(0);
    rdgTipoConta->SetTabOrder(1);
    rdgTipoConta->SetBounds(520, 8, 360, 56);
}

void TfrmSaldComerc::ComposeRecordSets() {
    for (std::size_t i = 0; i < std::size(kKindComposition); ++i) {
        const auto& composition = kKindComposition[i];
        auto& set = this->*composition.set;
        records::AddBalanceFields(set, records::Kinds()[i].kind);
        for (std::size_t f = 0; f < std::size(kFieldNames); ++f)
            if (composition.fields[f] != nullptr)
                this->*composition.fields[f] = &set.FieldByName(kFieldNames[f]);
    }
}

void TfrmSaldComerc::ComposeQueries() {
    qryEmpresa = Query(*this, screen::DefineQryEmpresa);
    dtsEmpresa.SetDataSet(&qryEmpresa->Query);
    qryContCtbl = Query(*this, screen::DefineQryContCtbl);
    dtsContCtbl.SetDataSet(&qryContCtbl->Query);
    qryFornecedor = Query(*this, screen::DefineQryFornecedor);
    dtsFornecedor.SetDataSet(&qryFornecedor->Query);
    qryCliente = Query(*this, screen::DefineQryCliente);
    dtsCliente.SetDataSet(&qryCliente->Query);
    qryBanco = Query(*this, screen::DefineQryBanco);
    dtsBanco.SetDataSet(&qryBanco->Query);
}

// Each kind's row of the kind table with the members it names: the record set, its fields
// and the owner look-up query, found by the table's name for it.
void TfrmSaldComerc::BindKinds() {
    for (std::size_t i = 0; i < kinds_.size(); ++i) {
        const auto& composition = kKindComposition[i];
        const auto& info = records::Kinds()[i];
        auto& kind = kinds_[i];
        kind.info = &info;
        kind.set = &(this->*composition.set);
        const auto field = [&](std::size_t f) { return this->*composition.fields[f]; };
        kind.DTIMPSALDO = field(0);
        kind.CDCONTCTBL = field(1);
        kind.NMCONTCTBL = field(2);
        kind.NMRAZAOSOCIAL = field(3);
        kind.VRIMPSALDO = field(4);
        kind.TIPSALDO = field(5);
        kind.CDEMPRESA = field(6);
        kind.IDSALDCOME = field(7);
        kind.CDSALDCOME = field(8);
        kind.ownerQuery = dynamic_cast<library::TADOIBQuery*>(FindComponent(info.ownerQuery));
        kind.ownerLink = &(this->*composition.ownerLink);
        if (kind.ownerQuery == nullptr || &kind.ownerQuery->Query != kind.ownerLink->DataSet())
            throw platform::Error("A consulta " + std::string(info.ownerQuery) +
                                  " não está na tela de saldo comercial.");
    }
}

screen::KindMembers& TfrmSaldComerc::Kind(records::BalanceKind kind) {
    return kinds_.at(static_cast<std::size_t>(kind));
}

screen::KindMembers* TfrmSaldComerc::SelectedKind() {
    const auto kind = records::KindOfIndex(rdgTipoConta->ItemIndex());
    return kind ? &Kind(*kind) : nullptr;
}

void TfrmSaldComerc::WireEvents() {
    using platform::ClientDataSet;
    using platform::Component;
    using platform::Field;

    mnuHistSaldo->OnClick = [this](Component* s) { mnuHistSaldoClick(s); };
    medCdEmpresa->OnChange = [this](Component* s) { medCdEmpresaChange(s); };
    medCdEmpresa->OnExit = [this](Component* s) { medCdEmpresaExit(s); };
    medCdEmpresa->OnEnter = [this](Component* s) { panFiltroEnter(s); };
    panFiltro->OnEnter = [this](Component* s) { panFiltroEnter(s); };
    panFiltro->OnExit = [this](Component* s) { panFiltroExit(s); };
    BtnPesquisa1->OnBeforePesq = [this](Component* s, bool& go) { BtnPesquisa1BeforePesq(s, go); };
    BtnPesquisa1->OnAfterPesq = [this](Component* s) { BtnPesquisa1AfterPesq(s); };
    rdgTipoConta->OnClick = [this](Component* s) { rdgTipoContaClick(s); };
    cbxImplantSaldo->OnClick = [this](Component* s) { cbxImplantSaldoClick(s); };
    dbgLancSaldCome->OnKeyPress = [this](Component* s, char32_t& key) {
        dbgLancSaldComeKeyPress(s, key);
    };
    dbgLancSaldCome->OnEditButtonClick = [this](Component* s) {
        dbgLancSaldComeEditButtonClick(s);
    };
    dtsFornecedor.OnStateChange = [this](platform::DataSource&) { dtsPadraoStateChange(nullptr); };
    dtsCliente.OnStateChange = [this](platform::DataSource&) { dtsPadraoStateChange(nullptr); };

    // Every kind's events go to its own handlers, which share one body.
    for (std::size_t i = 0; i < kinds_.size(); ++i) {
        const KindComposition& h = kKindComposition[i];
        auto& kind = kinds_[i];
        kind.set->BeforePost = [this, &h](ClientDataSet& d) { (this->*h.beforePost)(d); };
        kind.set->AfterPost = [this, &h](ClientDataSet& d) { (this->*h.afterPost)(d); };
        // A deletion is saved as a post is.
        kind.set->AfterDelete = [this, &h](ClientDataSet& d) { (this->*h.afterPost)(d); };
        kind.set->OnNewRecord = [this, &h](ClientDataSet& d) { (this->*h.newRecord)(d); };
        kind.DTIMPSALDO->OnSetText = [this, &h](Field& f, const std::string& t) {
            (this->*h.monthSetText)(f, t);
        };
        kind.VRIMPSALDO->OnGetText = [this, &h](Field& f, std::string& t, bool display) {
            (this->*h.valueGetText)(f, t, display);
        };
    }
}

void TfrmSaldComerc::FormCreate(platform::Component* sender) {
    TfrmPadrao::FormCreate(sender);
    pgcPadrao->SetActivePage(tshFolhaDados);
    // The library is asked for the account picture once per set.
    for (auto& kind : kinds_)
        kind.CDCONTCTBL->SetEditMask(library::DBPict(library::kPictContaContabil));
    for (auto& kind : kinds_) kind.DTIMPSALDO->SetEditMask(records::kMonthEditMask);
    // With ThrowException off a server that is down is recorded here and reported by the
    // first call, so the screen still opens.
    netSaldComer->Open();
}

void TfrmSaldComerc::FormClose(platform::Component* sender, platform::CloseAction& action) {
    if (ClearCreatedFlag) ClearCreatedFlag();
    netSaldComer->Close();
    TfrmPadrao::FormClose(sender, action);
}

// The alter button has no action on this screen (it is never enabled either).
void TfrmSaldComerc::sbtAlterarClick(platform::Component*) {}

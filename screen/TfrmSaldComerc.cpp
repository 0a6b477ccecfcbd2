// The screen's composition (what it sets on the base screen, its own controls, record
// sets, server connection and look-up queries), its event wiring, creation and close.
#include "screen/TfrmSaldComerc.h"

#include "library/Orvane.h"
#include "records/BalanceFields.h"
#include "records/MessageCatalogue.h"
#include "screen/QueryTexts.h"
#include "services/SaldComerService.h"

namespace {

template <class T>
T* Placed(platform::Component& owner, platform::WinControl* parent, const char* name) {
    T* control = owner.Create<T>();
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

library::TADOIBQuery* Query(platform::Component& owner, const char* name) {
    auto* query = owner.Create<library::TADOIBQuery>();
    query->SetName(name);
    return query;
}

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
    mnuListagem->SetEnabled(false);
    mnuConfigImpressora->SetEnabled(false);
    for (auto* entry :
         {mnuIncluir, mnuAlterar, mnuExcluir, mnuProcurar, mnuVerificar, mnuCancelar, mnuConfirmar})
        entry->SetEnabled(false);

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
    WireEvents();
}

TfrmSaldComerc::~TfrmSaldComerc() {
    BeginDestroy();
    dtsFornecedor.OnStateChange = nullptr;
    dtsCliente.OnStateChange = nullptr;
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
    using records::BalanceKind;
    struct Target {
        platform::ClientDataSet& set;
        BalanceKind kind;
        platform::Field** fields[11];
    };
    Target targets[] = {
        {cdsSaldForn,
         BalanceKind::Suppliers,
         {&cdsSaldFornDTIMPSALDO, &cdsSaldFornCDCONTCTBL, &cdsSaldFornNMCONTCTBL,
          &cdsSaldFornNMRAZAOSOCIAL, &cdsSaldFornVRIMPSALDO, &cdsSaldFornTIPSALDO,
          &cdsSaldFornCDEMPRESA, &cdsSaldFornIDSALDCOME, &cdsSaldFornCDSALDCOME,
          &cdsSaldFornNRINSJUR, &cdsSaldFornIDTPIJUR}},
        {cdsSaldClie,
         BalanceKind::Clients,
         {&cdsSaldClieDTIMPSALDO, &cdsSaldClieCDCONTCTBL, &cdsSaldClieNMCONTCTBL,
          &cdsSaldClieNMRAZAOSOCIAL, &cdsSaldClieVRIMPSALDO, &cdsSaldClieTIPSALDO,
          &cdsSaldClieCDEMPRESA, &cdsSaldClieIDSALDCOME, &cdsSaldClieCDSALDCOME,
          &cdsSaldClieNRINSJUR, &cdsSaldClieIDTPIJUR}},
        {cdsSaldBanco,
         BalanceKind::Banks,
         {&cdsSaldBancoDTIMPSALDO, &cdsSaldBancoCDCONTCTBL, &cdsSaldBancoNMCONTCTBL,
          &cdsSaldBancoNMRAZAOSOCIAL, &cdsSaldBancoVRIMPSALDO, &cdsSaldBancoTIPSALDO,
          &cdsSaldBancoCDEMPRESA, &cdsSaldBancoIDSALDCOME, &cdsSaldBancoCDSALDCOME,
          &cdsSaldBancoNRINSJUR, nullptr}},
    };
    for (auto& target : targets) {
        records::AddBalanceFields(target.set, target.kind);
        for (int i = 0; i < target.set.FieldCount(); ++i) *target.fields[i] = &target.set.Fields(i);
    }
}

void TfrmSaldComerc::ComposeQueries() {
    qryEmpresa = Query(*this, "qryEmpresa");
    qryEmpresa->SQL = qryEmpresa->SQL_ORACLE = qryEmpresa->SQL_MSSQL = qryEmpresa->SQL_IB =
        screen::EmpresaSQL();
    qryEmpresa->AddParam("P_CDEMPRESA");
    qryEmpresa->AddParam("P_TCDEMPRESA");
    qryEmpresa->AddField("CDEMPRESA", 2, "Código", 0, true);
    qryEmpresa->AddField("NMEMPRESA", 50, "Nome", 0, true);
    dtsEmpresa.SetDataSet(&qryEmpresa->Query);

    qryContCtbl = Query(*this, "qryContCtbl");
    qryContCtbl->SQL = screen::ContCtblSQL();
    qryContCtbl->AddField("CDCONTREDU", 20, "Cód. Reduzido", 20, true);
    qryContCtbl->AddField("CDCONTCTBL", 20, "Código", 20, true);
    qryContCtbl->AddField("CDRATEIO", 3, "", 3, false);
    qryContCtbl->AddField("NMCONTCTBL", 40, "Nome", 40, true);
    qryContCtbl->AddField("CDNVCONTCTBL", 1, "", 1, false);
    qryContCtbl->AddField("IDTIPOCONT", 1, "", 1, false);
    qryContCtbl->AddField("IDCONTCCUS", 1, "", 1, false);
    qryContCtbl->AddField("IDTIPOCOME", 1, "", 1, false);
    dtsContCtbl.SetDataSet(&qryContCtbl->Query);

    qryFornecedor = Query(*this, "qryFornecedor");
    qryFornecedor->SQL_ORACLE = screen::FornecedorSQL_ORACLE();
    qryFornecedor->SQL_MSSQL = screen::FornecedorSQL_MSSQL();
    qryFornecedor->SQL_IB = screen::FornecedorSQL_IB();
    qryFornecedor->AddParam("CDFORNECED");
    qryFornecedor->AddParam("NRINSJURFORN");
    qryFornecedor->AddField("CDFORNECED", 21, "Código", 21, false);
    qryFornecedor->AddField("IDTPIJURFORN", 1, "", 1, false);
    qryFornecedor->AddField("NRINSJURFORN", 20, "Inscrição", 20, true);
    qryFornecedor->AddField("NMRAZSOCFORN", 40, "Razão Social", 40, true);
    dtsFornecedor.SetDataSet(&qryFornecedor->Query);

    qryCliente = Query(*this, "qryCliente");
    qryCliente->SQL_ORACLE = screen::ClienteSQL_ORACLE();
    qryCliente->SQL_IB = screen::ClienteSQL_IB();
    qryCliente->AddParam("CDCLIENTE");
    qryCliente->AddParam("NRINSJURCLIE");
    qryCliente->AddField("CDCLIENTE", 21, "Código", 21, false);
    qryCliente->AddField("IDTPIJURCLIE", 1, "", 1, false);
    qryCliente->AddField("NRINSJURCLIE", 20, "Inscrição", 20, true);
    qryCliente->AddField("NMRAZSOCCLIE", 40, "Razão Social", 40, true);
    dtsCliente.SetDataSet(&qryCliente->Query);

    qryBanco = Query(*this, "qryBanco");
    qryBanco->SQL = screen::BancoSQL();
    qryBanco->AddParam("P_CDREDUCONT");
    qryBanco->AddParam("P_TCDREDUCONT");
    qryBanco->AddField("CDREDUCONT", 3, "Cód. Red.", 3, true);
    qryBanco->AddField("NMBANCO", 30, "Banco", 30, true);
    qryBanco->AddField("CDAGENCIA", 5, "Agência", 5, true);
    qryBanco->AddField("CDCONTCORR", 10, "Conta", 10, true);
    qryBanco->AddField("CDBANCO", 3, "Cód. Banco", 3, true);
    qryBanco->AddField("DSCONTCORR", 20, "", 20, false);
    dtsBanco.SetDataSet(&qryBanco->Query);
}

void TfrmSaldComerc::WireEvents() {
    using platform::ClientDataSet;
    using platform::Component;
    using platform::Field;

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

    cdsSaldForn.BeforePost = [this](ClientDataSet& d) { cdsSaldFornBeforePost(d); };
    cdsSaldForn.AfterPost = [this](ClientDataSet& d) { cdsSaldFornAfterPost(d); };
    cdsSaldForn.AfterDelete = [this](ClientDataSet& d) { cdsSaldFornAfterPost(d); };
    cdsSaldForn.OnNewRecord = [this](ClientDataSet& d) { cdsSaldFornNewRecord(d); };
    cdsSaldFornDTIMPSALDO->OnSetText = [this](Field& f, const std::string& t) {
        cdsSaldFornDTIMPSALDOSetText(f, t);
    };
    cdsSaldFornVRIMPSALDO->OnGetText = [this](Field& f, std::string& t, bool display) {
        cdsSaldFornVRIMPSALDOGetText(f, t, display);
    };

    cdsSaldClie.BeforePost = [this](ClientDataSet& d) { cdsSaldClieBeforePost(d); };
    cdsSaldClie.AfterPost = [this](ClientDataSet& d) { cdsSaldClieAfterPost(d); };
    cdsSaldClie.AfterDelete = [this](ClientDataSet& d) { cdsSaldClieAfterPost(d); };
    cdsSaldClie.OnNewRecord = [this](ClientDataSet& d) { cdsSaldClieNewRecord(d); };
    cdsSaldClieDTIMPSALDO->OnSetText = [this](Field& f, const std::string& t) {
        cdsSaldClieDTIMPSALDOSetText(f, t);
    };
    cdsSaldClieVRIMPSALDO->OnGetText = [this](Field& f, std::string& t, bool display) {
        cdsSaldClieVRIMPSALDOGetText(f, t, display);
    };

    cdsSaldBanco.BeforePost = [this](ClientDataSet& d) { cdsSaldBancoBeforePost(d); };
    cdsSaldBanco.AfterPost = [this](ClientDataSet& d) { cdsSaldBancoAfterPost(d); };
    cdsSaldBanco.AfterDelete = [this](ClientDataSet& d) { cdsSaldBancoAfterPost(d); };
    cdsSaldBanco.OnNewRecord = [this](ClientDataSet& d) { cdsSaldBancoNewRecord(d); };
    cdsSaldBancoDTIMPSALDO->OnSetText = [this](Field& f, const std::string& t) {
        cdsSaldBancoDTIMPSALDOSetText(f, t);
    };
    cdsSaldBancoVRIMPSALDO->OnGetText = [this](Field& f, std::string& t, bool display) {
        cdsSaldBancoVRIMPSALDOGetText(f, t, display);
    };
}

void TfrmSaldComerc::FormCreate(platform::Component* sender) {
    TfrmPadrao::FormCreate(sender);
    pgcPadrao->SetActivePage(tshFolhaDados);
    cdsSaldFornCDCONTCTBL->SetEditMask(library::DBPict(library::kPictContaContabil));
    cdsSaldClieCDCONTCTBL->SetEditMask(library::DBPict(library::kPictContaContabil));
    cdsSaldBancoCDCONTCTBL->SetEditMask(library::DBPict(library::kPictContaContabil));
    cdsSaldFornDTIMPSALDO->SetEditMask(records::kMonthEditMask);
    cdsSaldClieDTIMPSALDO->SetEditMask(records::kMonthEditMask);
    cdsSaldBancoDTIMPSALDO->SetEditMask(records::kMonthEditMask);
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

// TfrmSaldComerc: the "Saldo Comercial" screen, opening balances of suppliers, clients and
// bank accounts per company, on the base maintenance screen. Its members are public: the
// module's tests and the shell reach the screen through the exported instance. The handlers
// of each balance kind keep their own names and share one body, driven by the kind table.
#pragma once

#include <array>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "library/Frmpadr.h"
#include "library/TADOIBQuery.h"
#include "library/TBtnPesquisa.h"
#include "library/TNetConnection.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Label.h"
#include "platform/ui/MaskEdit.h"
#include "platform/ui/Panel.h"
#include "platform/ui/RadioGroup.h"
#include "screen/KindMembers.h"

class TfrmHistSaldo;

class TfrmSaldComerc : public library::TfrmPadrao {
  public:
    explicit TfrmSaldComerc(platform::Application& app);
    ~TfrmSaldComerc() override;

    // Filter panel: company, balance kind, implant mode.
    platform::Panel* panFiltro;
    platform::Label* Label1;
    platform::MaskEdit* medCdEmpresa;
    library::TBtnPesquisa* BtnPesquisa1;
    platform::Edit* edtNmEmpresa;
    platform::CheckBox* cbxImplantSaldo;
    platform::RadioGroup* rdgTipoConta;

    // Entry grid on the entry page.
    platform::DBGrid* dbgLancSaldCome;

    // The balance record sets, one per kind, and their fields.
    platform::ClientDataSet cdsSaldForn;
    platform::Field* cdsSaldFornDTIMPSALDO = nullptr;
    platform::Field* cdsSaldFornCDCONTCTBL = nullptr;
    platform::Field* cdsSaldFornNMCONTCTBL = nullptr;
    platform::Field* cdsSaldFornNMRAZAOSOCIAL = nullptr;
    platform::Field* cdsSaldFornVRIMPSALDO = nullptr;
    platform::Field* cdsSaldFornTIPSALDO = nullptr;
    platform::Field* cdsSaldFornCDEMPRESA = nullptr;
    platform::Field* cdsSaldFornIDSALDCOME = nullptr;
    platform::Field* cdsSaldFornCDSALDCOME = nullptr;
    platform::Field* cdsSaldFornNRINSJUR = nullptr;
    platform::Field* cdsSaldFornIDTPIJUR = nullptr;

    platform::ClientDataSet cdsSaldClie;
    platform::Field* cdsSaldClieDTIMPSALDO = nullptr;
    platform::Field* cdsSaldClieCDCONTCTBL = nullptr;
    platform::Field* cdsSaldClieNMCONTCTBL = nullptr;
    platform::Field* cdsSaldClieNMRAZAOSOCIAL = nullptr;
    platform::Field* cdsSaldClieVRIMPSALDO = nullptr;
    platform::Field* cdsSaldClieTIPSALDO = nullptr;
    platform::Field* cdsSaldClieCDEMPRESA = nullptr;
    platform::Field* cdsSaldClieIDSALDCOME = nullptr;
    platform::Field* cdsSaldClieCDSALDCOME = nullptr;
    platform::Field* cdsSaldClieNRINSJUR = nullptr;
    platform::Field* cdsSaldClieIDTPIJUR = nullptr;

    platform::ClientDataSet cdsSaldBanco;
    platform::Field* cdsSaldBancoDTIMPSALDO = nullptr;
    platform::Field* cdsSaldBancoCDCONTCTBL = nullptr;
    platform::Field* cdsSaldBancoNMCONTCTBL = nullptr;
    platform::Field* cdsSaldBancoNMRAZAOSOCIAL = nullptr;
    platform::Field* cdsSaldBancoVRIMPSALDO = nullptr;
    platform::Field* cdsSaldBancoTIPSALDO = nullptr;
    platform::Field* cdsSaldBancoCDEMPRESA = nullptr;
    platform::Field* cdsSaldBancoIDSALDCOME = nullptr;
    platform::Field* cdsSaldBancoCDSALDCOME = nullptr;
    platform::Field* cdsSaldBancoNRINSJUR = nullptr;

    // The application server.
    library::TNetConnection* netSaldComer;

    // Look-up queries and their links.
    library::TADOIBQuery* qryEmpresa;
    platform::DataSource dtsEmpresa;
    library::TADOIBQuery* qryContCtbl;
    platform::DataSource dtsContCtbl;
    library::TADOIBQuery* qryFornecedor;
    platform::DataSource dtsFornecedor;
    library::TADOIBQuery* qryCliente;
    platform::DataSource dtsCliente;
    library::TADOIBQuery* qryBanco;
    platform::DataSource dtsBanco;

    // Run by FormClose before the base's close: the module clears its created flag here.
    std::function<void()> ClearCreatedFlag;
    // Run by the destructor: the module forgets its instance here.
    std::function<void()> Destroyed;

    // Creation and close (TfrmSaldComerc.cpp).
    void FormCreate(platform::Component* sender) override;
    void FormClose(platform::Component* sender, platform::CloseAction& action) override;
    void sbtAlterarClick(platform::Component* sender) override;

    // Company selection (CompanySelection.cpp).
    void medCdEmpresaChange(platform::Component* sender);
    void medCdEmpresaExit(platform::Component* sender);
    void BtnPesquisa1BeforePesq(platform::Component* sender, bool& canSearch);
    void BtnPesquisa1AfterPesq(platform::Component* sender);

    // Loading balances (Loading.cpp).
    void panFiltroEnter(platform::Component* sender);
    void panFiltroExit(platform::Component* sender);
    void sbtVerificarClick(platform::Component* sender) override;
    // Reads the selected kind's balances for the company code into its set, under the busy
    // animation; a set being edited is skipped. With `bindDataLink` the link shows the set.
    void CarregaSaldos(bool bindDataLink);
    // GetSaldComer for the company code and the kind tag: the record packet, or it raises.
    platform::PacketRows LeSaldComer(std::string_view kindTag,
                                     const std::vector<platform::FieldDef>& fields);

    // Command and page state (CommandState.cpp).
    // The commands the set allows in the current mode: out of implant mode only search and
    // verify, while the set browses rows; alter never.
    library::CommandState ComandosPermitidos(const platform::ClientDataSet& dataSet) const;
    void ControlaBotoes(platform::ClientDataSet& dataSet);
    void ControlaAbas(bool entry);
    // Whether the user the server identified may change the company's balances; true when
    // the server does not say. Shows who is connected in the status line.
    bool PodeAlterarSaldos();
    void dtsPadraoStateChange(platform::Component* sender) override;
    void rdgTipoContaClick(platform::Component* sender);
    void cbxImplantSaldoClick(platform::Component* sender);
    void FormActivate(platform::Component* sender) override;
    void sbtImprimirClick(platform::Component* sender) override;

    // Record entry (RecordEntry.cpp).
    void sbtIncluirClick(platform::Component* sender) override;
    void sbtExcluirClick(platform::Component* sender) override;
    void sbtCancelarClick(platform::Component* sender) override;
    void sbtConfirmarClick(platform::Component* sender) override;
    void cdsSaldFornNewRecord(platform::ClientDataSet& dataSet);
    void cdsSaldClieNewRecord(platform::ClientDataSet& dataSet);
    void cdsSaldBancoNewRecord(platform::ClientDataSet& dataSet);
    void dbgLancSaldComeKeyPress(platform::Component* sender, char32_t& key);

    // Grid look-ups (GridLookups.cpp).
    void dbgLancSaldComeEditButtonClick(platform::Component* sender);

    // Month entry and value display (MonthEntry.cpp).
    bool CheckMesValido(const std::string& text);
    void cdsSaldFornDTIMPSALDOSetText(platform::Field& sender, const std::string& text);
    void cdsSaldClieDTIMPSALDOSetText(platform::Field& sender, const std::string& text);
    void cdsSaldBancoDTIMPSALDOSetText(platform::Field& sender, const std::string& text);
    void cdsSaldFornVRIMPSALDOGetText(platform::Field& sender, std::string& text, bool displayText);
    void cdsSaldClieVRIMPSALDOGetText(platform::Field& sender, std::string& text, bool displayText);
    void cdsSaldBancoVRIMPSALDOGetText(platform::Field& sender, std::string& text,
                                       bool displayText);

    // Validation before posting (Validation.cpp).
    void cdsSaldFornBeforePost(platform::ClientDataSet& dataSet);
    void cdsSaldClieBeforePost(platform::ClientDataSet& dataSet);
    void cdsSaldBancoBeforePost(platform::ClientDataSet& dataSet);
    void Vd_SaldoContCtbl(platform::ClientDataSet& dataSet);
    std::string LedgerFigures(const std::string& account, const std::string& month);
    void Vd_Campos(bool check, const std::string& text, const std::string& key);

    // "Exibir" → "Histórico do saldo": the changes of the balance under the cursor, in a
    // window of their own (History.cpp).
    // One window serves every request; it shows the balance last asked for.
    platform::MenuItem* mnuHistSaldo;
    void mnuHistSaldoClick(platform::Component* sender);

    // Saving changes (Saving.cpp).
    void cdsSaldFornAfterPost(platform::ClientDataSet& dataSet);
    void cdsSaldClieAfterPost(platform::ClientDataSet& dataSet);
    void cdsSaldBancoAfterPost(platform::ClientDataSet& dataSet);

  private:
    TfrmHistSaldo* history_ = nullptr;

    void ComposeFilterPanel();
    void ComposeRecordSets();
    void ComposeQueries();
    void BindKinds();
    void WireEvents();

    // The members of a kind, and of the kind selected in rdgTipoConta (null for an item
    // index outside the kinds: the steps that name a set are then skipped).
    screen::KindMembers& Kind(records::BalanceKind kind);
    screen::KindMembers* SelectedKind();

    // The one body of each per-kind handler family.
    void PreencheNovaLinha(screen::KindMembers& kind);
    void ValidaLinha(screen::KindMembers& kind);
    void GravaAlteracoes(screen::KindMembers& kind);
    void EntraMes(screen::KindMembers& kind, const std::string& text);
    void TextoValor(const screen::KindMembers& kind, std::string& text) const;

    // Out of implant mode every balance set is read-only, so that no control and no code
    // path can put one into edit; in implant mode they take new rows and changes.
    void AplicaModoImplantacao(bool implant);
    // The account and owner look-ups of the entry grid's ellipsis buttons.
    void PesquisaContaContabil();
    void PesquisaTitular(screen::KindMembers& kind);

    std::array<screen::KindMembers, 3> kinds_;
};

// The module as a host opens it: dlopen, IniProc, the single screen, its composition after
// creation, close and reopen, and a server that is down.
#include <gtest/gtest.h>

#include "library/Consiste.h"
#include "library/Orvane.h"
#include "platform/Exceptions.h"
#include "tests/support/ModuleFixture.h"

using testsupport::ModuleFixture;

namespace {

int ScreensOpen() {
    int count = 0;
    for (auto* form : platform::Application::Instance().Forms())
        if (form->Name() == "frmSaldComerc") ++count;
    return count;
}

}  // namespace

class ModuleTest : public ModuleFixture {};

TEST_F(ModuleTest, IniProcTwiceGivesOneScreenAndRestoresAMinimisedOne) {
    EXPECT_EQ(Form(), nullptr);
    IniProc();
    TfrmSaldComerc* first = Form();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(platform::Application::Instance().GetCursor(), platform::Cursor::Default);

    first->UserSetWindowState(platform::WindowState::Minimized);
    IniProc();
    EXPECT_EQ(Form(), first);
    EXPECT_EQ(ScreensOpen(), 1);
    EXPECT_EQ(first->State(), platform::WindowState::Normal);
    EXPECT_EQ(platform::Application::Instance().GetCursor(), platform::Cursor::Default);
}

TEST_F(ModuleTest, CompositionAfterCreation) {
    IniProc();
    auto& s = Screen();
    EXPECT_EQ(s.Caption(), "Saldo Comercial");
    EXPECT_EQ(s.HelpContext(), 1060019);
    EXPECT_EQ(s.Style(), platform::FormStyle::MDIChild);
    EXPECT_EQ(s.lblCodTela->Caption(), "RDQ63500");
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
    EXPECT_FALSE(s.sbtImprimir->Enabled());
    EXPECT_FALSE(s.mnuFolhaDados->Visible());
    EXPECT_FALSE(s.mnuFormulario->Visible());
    EXPECT_FALSE(s.mnuLinha1->Visible());
    EXPECT_FALSE(s.mnuListagem->Enabled());
    for (auto* entry : {s.mnuIncluir, s.mnuAlterar, s.mnuExcluir, s.mnuProcurar, s.mnuVerificar,
                        s.mnuCancelar, s.mnuConfirmar})
        EXPECT_FALSE(entry->Enabled()) << entry->Name();
    EXPECT_FALSE(s.cbxImplantSaldo->Enabled());
    EXPECT_FALSE(s.edtNmEmpresa->Enabled());
    EXPECT_EQ(s.rdgTipoConta->ItemIndex(), 0);
    EXPECT_EQ(s.medCdEmpresa->EditMask(), "99;0; ");
    EXPECT_EQ(s.dtsPadrao.DataSet(), &s.cdsSaldForn);
    EXPECT_EQ(s.msgPadrao->Msg("Empr_Inv"), "Empresa deve ser informada.");
    // The first stop inside the filter panel has the focus once the screen is shown.
    EXPECT_EQ(s.ActiveControl(), s.medCdEmpresa);

    const auto picture = library::DBPict(library::kPictContaContabil);
    for (auto* field : {s.cdsSaldFornCDCONTCTBL, s.cdsSaldClieCDCONTCTBL, s.cdsSaldBancoCDCONTCTBL})
        EXPECT_EQ(field->EditMask(), picture);
    for (auto* field : {s.cdsSaldFornDTIMPSALDO, s.cdsSaldClieDTIMPSALDO, s.cdsSaldBancoDTIMPSALDO})
        EXPECT_EQ(field->EditMask(), "!99/0000;1;_");
    EXPECT_EQ(s.cdsSaldBanco.FieldCount(), 10);
    EXPECT_EQ(s.cdsSaldBanco.FindField("IDTPIJUR"), nullptr);
    EXPECT_EQ(s.cdsSaldBancoNMRAZAOSOCIAL->Size(), 30);
    EXPECT_EQ(s.cdsSaldFornNMRAZAOSOCIAL->Size(), 50);
    EXPECT_TRUE(s.netSaldComer->Connected());
}

TEST_F(ModuleTest, CloseThenIniProcBuildsAFreshScreen) {
    IniProc();
    auto* first = Form();
    first->pgcPadrao->SetActivePage(first->tshFormulario);
    first->cdsSaldForn.CreateDataSet();
    platform::Application::Instance().RunEvent([&] { first->UserClose(); });
    platform::Application::Instance().ProcessMessages();
    EXPECT_EQ(Form(), nullptr);
    EXPECT_EQ(ScreensOpen(), 0);

    IniProc();
    auto& s = Screen();
    EXPECT_EQ(ScreensOpen(), 1);
    EXPECT_FALSE(s.cdsSaldForn.Active());
    EXPECT_FALSE(s.cdsSaldClie.Active());
    EXPECT_FALSE(s.cdsSaldBanco.Active());
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
}

TEST_F(ModuleTest, ServerPacketsLoadIntoTheRecordSets) {
    IniProc();
    auto& s = Screen();
    const auto packet =
        library::CheckResultServ(s.netSaldComer->Call("GetSaldComer", {"01", ""}), true, 0);
    s.cdsSaldForn.SetData(packet);
    EXPECT_FALSE(s.cdsSaldForn.IsEmpty());
    EXPECT_EQ(s.cdsSaldFornIDSALDCOME->AsString(), "F");
    s.cdsSaldBanco.SetData(library::CheckResultServ(
        s.netSaldComer->Call("GetSaldComer", {"01", "SaldBanco"}), true, 0));
    EXPECT_EQ(s.cdsSaldBancoIDSALDCOME->AsString(), "B");
}

TEST_F(ModuleTest, FailedCreationLeavesNoScreenAndTheNextCallTriesAgain) {
    {
        testsupport::ScopedEnv bad("SALDO_SERVER", "nonsense");
        try {
            IniProc();
            ADD_FAILURE() << "creation should have failed";
        } catch (const platform::Error& e) {
            EXPECT_NE(std::string(e.what()).find("SALDO_SERVER"), std::string::npos);
        }
        EXPECT_EQ(Form(), nullptr);
        EXPECT_EQ(ScreensOpen(), 0);
        EXPECT_EQ(platform::Application::Instance().GetCursor(), platform::Cursor::Default);
    }
    IniProc();
    EXPECT_NE(Form(), nullptr);
    EXPECT_EQ(ScreensOpen(), 1);
}

class ModuleWithoutServerTest : public ModuleFixture {
  protected:
    bool WithServer() const override { return false; }
};

TEST_F(ModuleWithoutServerTest, ServerDownFailsOnTheFirstCallNotAtCreation) {
    ASSERT_NO_THROW(IniProc());
    auto& s = Screen();
    EXPECT_FALSE(s.netSaldComer->Connected());
    const auto result = s.netSaldComer->Call("GetSaldComer", {"01", ""});
    EXPECT_FALSE(result.Ok);
    const std::string where = "127.0.0.1:" + std::to_string(library::WebPort());
    EXPECT_NE(result.Error.find(where), std::string::npos) << result.Error;
    try {
        library::CheckResultServ(result, true, 0);
        ADD_FAILURE() << "CheckResultServ should raise";
    } catch (const platform::Error& e) {
        EXPECT_EQ(std::string(e.what()), result.Error);
    }
}

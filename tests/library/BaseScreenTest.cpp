// The base screen and the library's dialogs: command routing by name, cancel/confirm state,
// release on close, the search pick list, the look-up button, MensErro and the result check.
#include <gtest/gtest.h>

#include "library/Consiste.h"
#include "library/Frmpadr.h"
#include "library/Pesquisa.h"
#include "library/TBtnPesquisa.h"
#include "platform/Exceptions.h"
#include "platform/app/Application.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

class TestScreen : public library::TfrmPadrao {
  public:
    explicit TestScreen(platform::Application& app) : TfrmPadrao(app) {
        set.AddField("CODIGO", platform::FieldType::String, 3).SetDisplayLabel("Código");
        set.AddField("NOME", platform::FieldType::String, 20).SetDisplayLabel("Nome");
        set.AddField("OCULTO", platform::FieldType::String, 1).SetVisible(false);
        set.CreateDataSet();
        for (const char* code : {"001", "002", "003"})
            set.AddRow({code, std::string("Nome ") + code, "x"});
        set.First();
        dtsPadrao.SetDataSet(&set);
    }
    ~TestScreen() override {
        BeginDestroy();
        DestroyComponents();
    }

    void sbtIncluirClick(platform::Component*) override { trace += "incluir;"; }
    void FormCreate(platform::Component* sender) override {
        TfrmPadrao::FormCreate(sender);
        trace += "create;";
    }

    platform::ClientDataSet set;
    std::string trace;
};

class BaseScreenTest : public ::testing::Test {
  protected:
    void SetUp() override { app().SetDialogs(&dialogs); }
    void TearDown() override {
        for (auto* form : app().Forms()) app().RunEvent([form] { form->Close(); });
        app().ProcessMessages();
        app().SetDialogs(nullptr);
    }
    static platform::Application& app() { return platform::Application::Instance(); }

    platform::testing::ScriptedDialogs dialogs;
};

}  // namespace

TEST_F(BaseScreenTest, ToolButtonAndMenuEntryReachTheScreensHandler) {
    auto* screen = app().CreateForm<TestScreen>();
    EXPECT_EQ(screen->trace, "create;");
    EXPECT_EQ(screen->pgcPadrao->ActivePage(), screen->tshFolhaDados);
    screen->Show();
    screen->sbtIncluir->Click();
    screen->mnuIncluir->Click();
    EXPECT_EQ(screen->trace, "create;incluir;incluir;");

    // Not overridden: the base asks the standard delete question and deletes on Yes.
    dialogs.Answer(platform::mrNo);
    screen->sbtExcluir->Click();
    EXPECT_EQ(screen->set.RecordCount(), 3);
    dialogs.Answer(platform::mrYes);
    screen->mnuExcluir->Click();
    EXPECT_EQ(screen->set.RecordCount(), 2);
}

TEST_F(BaseScreenTest, ACommandsButtonAndMenuEntryChangeTogether) {
    using library::Command;
    auto* screen = app().CreateForm<TestScreen>();
    screen->Show();
    screen->SetCommand(Command::Incluir, false);
    EXPECT_FALSE(screen->sbtIncluir->Enabled());
    EXPECT_FALSE(screen->mnuIncluir->Enabled());
    screen->sbtIncluir->Click();
    screen->mnuIncluir->Click();
    EXPECT_EQ(screen->trace, "create;");

    library::CommandState state;
    state.excluir = true;
    state.verificar = true;
    screen->SetCommands(state);
    EXPECT_EQ(screen->Commands(), state);
    for (auto command : {Command::Incluir, Command::Alterar, Command::Excluir, Command::Procurar,
                         Command::Verificar, Command::Cancelar, Command::Confirmar})
        EXPECT_EQ(screen->EntryOf(command)->Enabled(), screen->ButtonOf(command)->Enabled());
    EXPECT_TRUE(screen->mnuVerificar->Enabled());
    EXPECT_FALSE(screen->mnuProcurar->Enabled());
}

TEST_F(BaseScreenTest, CancelAndConfirmFollowTheRowBeingEdited) {
    auto* screen = app().CreateForm<TestScreen>();
    EXPECT_FALSE(screen->sbtConfirmar->Enabled());
    EXPECT_FALSE(screen->mnuCancelar->Enabled());
    screen->set.Edit();
    EXPECT_TRUE(screen->sbtConfirmar->Enabled());
    EXPECT_TRUE(screen->sbtCancelar->Enabled());
    EXPECT_TRUE(screen->mnuConfirmar->Enabled());
    screen->set.Cancel();
    EXPECT_FALSE(screen->sbtCancelar->Enabled());
    EXPECT_FALSE(screen->mnuConfirmar->Enabled());
}

TEST_F(BaseScreenTest, ClosedScreenIsReleased) {
    auto* screen = app().CreateForm<TestScreen>();
    screen->Show();
    app().RunEvent([screen] { screen->Close(); });
    app().ProcessMessages();
    for (auto* form : app().Forms()) EXPECT_NE(form, screen);
}

TEST_F(BaseScreenTest, SearchListsVisibleFieldsAndMakesThePickCurrent) {
    auto* screen = app().CreateForm<TestScreen>();
    screen->SetCaption("Teste");
    screen->Show();
    dialogs.Pick(2);
    screen->sbtProcurar->Click();
    EXPECT_EQ(dialogs.LastCaptions(), (std::vector<std::string>{"Código", "Nome"}));
    EXPECT_EQ(dialogs.LastRows().size(), 3u);
    EXPECT_EQ(dialogs.LastRows()[1], (std::vector<std::string>{"002", "Nome 002"}));
    EXPECT_EQ(screen->set.FieldByName("CODIGO").AsString(), "003");

    dialogs.Pick(std::nullopt);
    EXPECT_FALSE(library::Pesquisar(screen->dtsPadrao, "Título|Vazio", false, true));
    EXPECT_EQ(screen->set.FieldByName("CODIGO").AsString(), "003");

    screen->set.EmptyDataSet();
    dialogs.ExpectError("Vazio");
    EXPECT_FALSE(library::Pesquisar(screen->dtsPadrao, "Título|Vazio", false, true));
}

TEST_F(BaseScreenTest, LookupButtonRunsItsEventsAroundThePick) {
    auto* screen = app().CreateForm<TestScreen>();
    screen->Show();
    auto* button = screen->Create<library::TBtnPesquisa>();
    button->SetParent(screen->panMenu);
    button->DataSource = &screen->dtsPadrao;
    button->Title = "Teste";
    button->EmptyError = "Nada cadastrado.";
    std::string trace;
    bool allow = false;
    button->OnBeforePesq = [&](platform::Component*, bool& go) {
        trace += "before;";
        go = allow;
    };
    button->OnAfterPesq = [&](platform::Component*) {
        trace += "after:" + screen->set.FieldByName("CODIGO").AsString() + ";";
    };
    button->Click();
    EXPECT_EQ(trace, "before;");
    allow = true;
    dialogs.Pick(1);
    button->Click();
    EXPECT_EQ(trace, "before;before;after:002;");
    EXPECT_EQ(dialogs.Log().back(), "pick: Teste (3 rows)");
    dialogs.Pick(std::nullopt);
    button->Click();
    EXPECT_EQ(trace, "before;before;after:002;before;");
    screen->set.EmptyDataSet();
    dialogs.ExpectError("Nada cadastrado.");
    button->Click();
    EXPECT_EQ(trace, "before;before;after:002;before;before;");
}

TEST_F(BaseScreenTest, MensErroShowsThenAbortsSilently) {
    dialogs.ExpectError("Empresa deve ser informada.");
    EXPECT_THROW(library::MensErro("Empresa deve ser informada.", true), platform::Abort);
    dialogs.ExpectError("Só mostra.");
    EXPECT_NO_THROW(library::MensErro("Só mostra.", false));
}

TEST_F(BaseScreenTest, CheckResultServRaisesTheServersMessage) {
    library::TServerResult ok{true, nlohmann::json{{"a", 1}}, "", 0};
    EXPECT_EQ(library::CheckResultServ(ok, true, 0)["a"], 1);
    library::TServerResult failed{false, nullptr, "Conta bloqueada.", -32000};
    try {
        library::CheckResultServ(failed, true, 0);
        ADD_FAILURE() << "should raise";
    } catch (const platform::Error& e) {
        EXPECT_STREQ(e.what(), "Conta bloqueada.");
    }
    dialogs.ExpectError("Conta bloqueada.");
    EXPECT_TRUE(library::CheckResultServ(failed, false, 0).is_null());
}

TEST(ConsisteDateTest, UltDiaMesGivesTheLastDayOrAClearError) {
    int y = 0, m = 0, d = 0;
    platform::DecodeDate(library::UltDiaMes(2, 2024), y, m, d);
    EXPECT_EQ(d, 29);
    platform::DecodeDate(library::UltDiaMes(2, 2023), y, m, d);
    EXPECT_EQ(d, 28);
    platform::DecodeDate(library::UltDiaMes(12, 9999), y, m, d);
    EXPECT_EQ(d, 31);
    EXPECT_THROW(library::UltDiaMes(13, 2024), platform::ConversionError);
    try {
        library::UltDiaMes(3, 0);
        ADD_FAILURE() << "year 0 should raise";
    } catch (const platform::ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("Ano inválido: 0"), std::string::npos);
    }
}

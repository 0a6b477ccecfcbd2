// The base screen and the library's dialogs: command routing by name, cancel/confirm state,
// release on close, the search pick list, the look-up button, MensErro and the result check.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>

#include "library/Consiste.h"
#include "library/Frmpadr.h"
#include "library/Pesquisa.h"
#include "library/TBtnPesquisa.h"
#include "library/TNetConnection.h"
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

namespace {

class NetScreen : public TestScreen {
  public:
    explicit NetScreen(platform::Application& app) : TestScreen(app) {
        net = Create<library::TNetConnection>();
        net->SetName("netTeste");
        net->ThrowException = false;
        net->BeforeConnect = [](library::TNetConnection& c) {
            c.Host = "127.0.0.1";
            c.Port = 1;  // nobody listens there
        };
    }
    library::TNetConnection* net;
};

std::string Said(platform::StatusPart part = platform::StatusPart::Message) {
    return platform::Application::Instance().StatusText(part);
}

}  // namespace

TEST_F(BaseScreenTest, TheStatusLineSaysWhatTheScreensServerCallsDid) {
    auto* screen = app().CreateForm<NetScreen>();
    library::TNetConnection& net = *screen->net;
    ASSERT_TRUE(net.OnEvent);
    using Kind = library::TNetEvent::Kind;
    const auto done = [&](const nlohmann::json& args, const nlohmann::json& result) {
        net.OnEvent(net, {Kind::CallDone, "Metodo", &args, &result, {}, {}});
    };
    const nlohmann::json rows = {{"fields", nlohmann::json::array()}, {"rows", {{"a"}, {"b"}}}};
    done({"01", ""}, rows);
    EXPECT_EQ(Said(), "2 registros lidos da empresa 01.");
    screen->RecordName = "Saldo";
    done({"07", "SaldClie"}, rows);
    EXPECT_EQ(Said(), "2 saldos lidos da empresa 07.");
    done({"07"}, {{"rows", {{"a"}}}});
    EXPECT_EQ(Said(), "1 saldo lido da empresa 07.");
    // A packet read as it arrived is counted by its reader.
    const nlohmann::json readArgs = {"07", ""};
    net.OnEvent(net, {Kind::CallDone, "Metodo", &readArgs, nullptr, {}, std::size_t{3}});
    EXPECT_EQ(Said(), "3 saldos lidos da empresa 07.");

    const auto packet = [](std::initializer_list<const char*> kinds) {
        nlohmann::json changes = nlohmann::json::array();
        for (const char* kind : kinds) changes.push_back({{"kind", kind}});
        return nlohmann::json{{"fields", nlohmann::json::array()}, {"changes", changes}};
    };
    done({"01", "", packet({"inserted"})}, nullptr);
    EXPECT_EQ(Said(), "Saldo gravado.");
    done({"01", "", packet({"deleted"})}, nullptr);
    EXPECT_EQ(Said(), "Saldo excluído.");
    done({"01", "", packet({"inserted", "modified", "deleted"})}, nullptr);
    EXPECT_EQ(Said(), "3 alterações gravadas da empresa 01.");
    done({"01", "1.1.2.01.0001", "03/2024", -150.25}, true);  // a check: nothing new to say
    EXPECT_EQ(Said(), "3 alterações gravadas da empresa 01.");

    // A real connect that fails, and the call that needed it.
    dialogs.TakeLog();
    const auto result = net.Call("GetSaldComer", {"01", ""});
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(Said(platform::StatusPart::Connection), "Sem conexão com o servidor 127.0.0.1:1");
    EXPECT_EQ(Said().rfind("Falhou: ", 0), 0u) << Said();

    // Another machine without a trust anchor for TLS: refused before anything goes out.
    net.BeforeConnect = [](library::TNetConnection& c) {
        c.Host = "192.0.2.1";
        c.Port = 47630;
    };
    EXPECT_FALSE(net.Call("GetSaldComer", {"01", ""}).Ok);
    EXPECT_NE(net.LastError().find("`ca`"), std::string::npos) << net.LastError();
}

TEST_F(BaseScreenTest, AScreensOwnListenerIsKeptAndEveryCommandHasItsOwnKey) {
    class Listening : public NetScreen {
      public:
        explicit Listening(platform::Application& app) : NetScreen(app) {
            net->OnEvent = [this](library::TNetConnection&, const library::TNetEvent&) { ++heard; };
        }
        int heard = 0;
    };
    auto* screen = app().CreateForm<Listening>();
    screen->net->Open();
    EXPECT_EQ(screen->heard, 1);

    std::set<std::string> keys;
    for (const auto* entry :
         {screen->mnuIncluir, screen->mnuAlterar, screen->mnuExcluir, screen->mnuProcurar,
          screen->mnuVerificar, screen->mnuCancelar, screen->mnuConfirmar, screen->mnuListagem,
          screen->mnuConfigImpressora, screen->mnuFolhaDados, screen->mnuFormulario}) {
        EXPECT_FALSE(entry->ShortCut().empty()) << entry->Name();
        EXPECT_TRUE(keys.insert(entry->ShortCut()).second) << entry->ShortCut();
    }
    EXPECT_EQ(screen->sbtConfirmar->ShortCut(), screen->mnuConfirmar->ShortCut());
    EXPECT_EQ(screen->sbtConfirmar->ImageName(), "document-save");
}

TEST(EntryHintTest, ValueColumnsTellHowADebitIsTypedOtherFieldsNothing) {
    platform::ClientDataSet set;
    auto& value = set.AddField("VRIMPSALDO", platform::FieldType::Double);
    auto& other = set.AddField("QTITENS", platform::FieldType::Double);
    auto& text = set.AddField("VRTEXTO", platform::FieldType::String, 5);
    EXPECT_NE(library::EntryHint(value).find("sinal de menos"), std::string::npos);
    EXPECT_EQ(library::EntryHint(other), "");
    EXPECT_EQ(library::EntryHint(text), "");
}

// The scripted dialog port: answers from its queue, records what was shown, and fails the
// test on a dialog nobody expected.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/ScriptedDialogs.h"

namespace platform {
namespace {

TEST(ScriptedDialogs, AnswersFromTheQueueAndRecordsEverything) {
    testing::ScriptedDialogs dialogs;
    dialogs.Answer(mrYes);
    dialogs.Pick(1);
    dialogs.Pick(std::nullopt);
    dialogs.ExpectError("Falhou");
    EXPECT_EQ(mrYes, dialogs.Ask("Confirma Exclusão?", DialogType::Confirmation, mbYes | mbNo, 0));
    EXPECT_EQ(std::optional<std::size_t>(1),
              dialogs.PickRow("Banco", {"Código", "Nome"}, {{"1", "A"}, {"2", "B"}}));
    EXPECT_EQ(std::nullopt, dialogs.PickRow("Banco", {"Código"}, {{"1"}}));
    dialogs.StartBusy(6);
    EXPECT_TRUE(dialogs.Busy());
    dialogs.StopBusy();
    dialogs.StopBusy();  // stopping when none runs is fine
    dialogs.ShowError("Falhou");
    const std::vector<std::string> expected{"ask: Confirma Exclusão?",
                                            "pick: Banco (2 rows)",
                                            "pick: Banco (1 rows)",
                                            "busy 6",
                                            "busy stop",
                                            "busy stop",
                                            "error: Falhou"};
    EXPECT_EQ(expected, dialogs.Log());
}

TEST(ScriptedDialogs, UnexpectedDialogsFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            testing::ScriptedDialogs dialogs;
            dialogs.ShowError("surpresa");
        },
        "unexpected error dialog: surpresa");
    EXPECT_NONFATAL_FAILURE(
        {
            testing::ScriptedDialogs dialogs;
            EXPECT_EQ(mrCancel, dialogs.Ask("?", DialogType::Confirmation, mbYes, 0));
        },
        "unexpected question");
    EXPECT_NONFATAL_FAILURE(
        {
            testing::ScriptedDialogs dialogs;
            dialogs.Answer(mrNo);
        },
        "answer(s) left unused");
    EXPECT_NONFATAL_FAILURE(
        {
            testing::ScriptedDialogs dialogs;
            dialogs.ExpectError("x");
            dialogs.ShowError("y");
        },
        "y");
}

}  // namespace
}  // namespace platform

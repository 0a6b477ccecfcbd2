// ScriptedDialogs: the dialog port of tests. It records every dialog shown, answers
// questions and pick lists from a queue, and fails the running test on a dialog the test
// did not expect (an error without ExpectError, a question or list with no answer queued).
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/app/DialogPort.h"

namespace platform::testing {

class ScriptedDialogs : public DialogPort {
  public:
    ~ScriptedDialogs() override {
        for (const auto& e : errors_)
            ADD_FAILURE() << "expected error never shown: " << e.text.value_or("(any)");
        if (!answers_.empty()) ADD_FAILURE() << answers_.size() << " answer(s) left unused";
        if (!picks_.empty()) ADD_FAILURE() << picks_.size() << " pick(s) left unused";
    }

    // The next error shown is expected; with a text, it must be exactly that.
    void ExpectError(std::optional<std::string> text = std::nullopt) {
        errors_.push_back({std::move(text)});
    }
    // Answers the next question.
    void Answer(int modalResult) { answers_.push_back(modalResult); }
    // Answers the next pick list: a row index, or nothing for a dismissed list.
    void Pick(std::optional<std::size_t> row) { picks_.push_back(row); }

    // Everything shown, one line each: "error: TEXT", "ask: TEXT", "pick: TITLE (N rows)",
    // "busy N", "busy stop".
    const std::vector<std::string>& Log() const { return log_; }
    std::vector<std::string> TakeLog() { return std::exchange(log_, {}); }
    // Texts of the errors shown, expected or not.
    const std::vector<std::string>& Errors() const { return shownErrors_; }
    // The detail shown below the last error that had one.
    const std::string& LastDetail() const { return lastDetail_; }
    bool Busy() const { return busy_; }
    int LastHelpContext() const { return lastHelpContext_; }
    const std::vector<std::string>& LastCaptions() const { return lastCaptions_; }
    const std::vector<std::vector<std::string>>& LastRows() const { return lastRows_; }

    void ShowError(const std::string& text) override {
        log_.push_back("error: " + text);
        shownErrors_.push_back(text);
        if (errors_.empty()) {
            ADD_FAILURE() << "unexpected error dialog: " << text;
            return;
        }
        const auto expected = errors_.front().text;
        errors_.pop_front();
        if (expected) {
            EXPECT_EQ(*expected, text);
        }
    }

    void ShowErrorWithDetail(const std::string& text, const std::string& detail) override {
        lastDetail_ = detail;
        ShowError(text);
    }

    int Ask(const std::string& text, DialogType, DialogButtons, int helpContext) override {
        log_.push_back("ask: " + text);
        lastHelpContext_ = helpContext;
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return mrCancel;
        }
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    std::optional<std::size_t> PickRow(const std::string& title,
                                       const std::vector<std::string>& captions,
                                       const std::vector<std::vector<std::string>>& rows) override {
        log_.push_back("pick: " + title + " (" + std::to_string(rows.size()) + " rows)");
        lastCaptions_ = captions;
        lastRows_ = rows;
        if (picks_.empty()) {
            ADD_FAILURE() << "unexpected pick list: " << title;
            return std::nullopt;
        }
        const auto pick = picks_.front();
        picks_.pop_front();
        if (pick && *pick >= rows.size()) {
            ADD_FAILURE() << "scripted pick " << *pick << " beyond " << rows.size() << " rows";
            return std::nullopt;
        }
        return pick;
    }

    void StartBusy(int kind) override {
        log_.push_back("busy " + std::to_string(kind));
        busy_ = true;
    }
    void StopBusy() override {
        log_.push_back("busy stop");
        busy_ = false;
    }

  private:
    struct ExpectedError {
        std::optional<std::string> text;
    };
    std::deque<ExpectedError> errors_;
    std::deque<int> answers_;
    std::deque<std::optional<std::size_t>> picks_;
    std::vector<std::string> log_;
    std::vector<std::string> shownErrors_;
    std::string lastDetail_;
    std::vector<std::string> lastCaptions_;
    std::vector<std::vector<std::string>> lastRows_;
    int lastHelpContext_ = 0;
    bool busy_ = false;
};

}  // namespace platform::testing

// TBtnPesquisa: a look-up button. A click runs OnBeforePesq, lists the rows of its data
// link (or shows EmptyError when there are none) and runs OnAfterPesq after a pick. Its key,
// Ctrl+Enter in the Associate control, is the one of the grids' ellipsis buttons.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/ToolButton.h"

namespace platform {
class DataSource;
}

namespace library {

class TBtnPesquisa : public platform::ToolButton {
  public:
    TBtnPesquisa();

    // The control the picked value is meant for (the screen's handler writes it).
    platform::Control* Associate = nullptr;
    platform::DataSource* DataSource = nullptr;
    std::string Title;
    std::string EmptyError;

    // Before the list: the handler prepares the link's rows; setting the flag to false
    // cancels the look-up.
    std::function<void(platform::Component* sender, bool& canSearch)> OnBeforePesq;
    // After a pick; the link's record set stands on the picked row.
    std::function<void(platform::Component* sender)> OnAfterPesq;

    // What a click runs; true when a row was picked.
    bool Execute();
};

}  // namespace library

// RadioGroup: a captioned group of exclusive choices laid out in columns.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/Control.h"

namespace platform {

class RadioGroup : public WinControl {
  public:
    RadioGroup() { SetTabStopDefault(true); }

    const std::vector<std::string>& Items() const { return items_; }
    // An item index that no longer fits falls back to -1.
    void SetItems(std::vector<std::string> items);
    int Columns() const { return columns_; }
    void SetColumns(int columns);
    // -1 = none. Setting it by code does not run OnClick; an index out of range raises.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

    // Input method: the user clicks item `index`. Focuses the group (a refused focus move
    // ends the click), then selects the item and runs OnClick when it changed. An unknown
    // index, or a disabled or hidden group, does nothing.
    void UserSelect(int index);
    // Input method: an arrow key while the group has the focus. Selects the next item (the
    // previous one with `backward`), wrapping at either end, as a click on it does; with no
    // item selected it selects the first (the last). Nothing happens without items.
    void UserStep(bool backward);

    bool AcceptsFocus() const override { return true; }

    NotifyEvent OnClick;

  private:
    std::vector<std::string> items_;
    int columns_ = 1;
    int itemIndex_ = -1;
};

}  // namespace platform

// The radio group's items and selection.
#include "platform/ui/RadioGroup.h"

#include "platform/Exceptions.h"

namespace platform {

void RadioGroup::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    Changed(Property::Items);
    if (itemIndex_ >= static_cast<int>(items_.size())) SetItemIndex(-1);
}

void RadioGroup::SetColumns(int columns) {
    if (columns < 1) columns = 1;
    if (columns == columns_) return;
    columns_ = columns;
    Changed(Property::Columns);
}

void RadioGroup::SetItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size()))
        throw Error("Índice de item fora dos limites (" + std::to_string(index) + ")");
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Changed(Property::ItemIndex);
}

void RadioGroup::UserSelect(int index) {
    RequireForm();
    if (index < 0 || index >= static_cast<int>(items_.size()) || !CanFocus()) return;
    RunUserEvent([this, index] {
        if (!TakeUserFocus() || index == itemIndex_) return;
        SetItemIndex(index);
        if (OnClick) OnClick(this);
    });
}

void RadioGroup::UserStep(bool backward) {
    const int count = static_cast<int>(items_.size());
    if (count == 0) return;
    int next = 0;
    if (itemIndex_ < 0)
        next = backward ? count - 1 : 0;
    else
        next = (itemIndex_ + (backward ? count - 1 : 1)) % count;
    UserSelect(next);
}

}  // namespace platform

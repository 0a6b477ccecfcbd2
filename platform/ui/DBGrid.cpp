// The data-aware grid.
#include "platform/ui/DBGrid.h"

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"
#include "platform/text/TextFunctions.h"
#include "platform/ui/detail/Utf8.h"

namespace platform {

DBGrid::DBGrid() : link_(*this) {
    SetTabStopDefault(true);
}

DBGrid::~DBGrid() {
    link_.SetDataSource(nullptr);
}

void DBGrid::SetDataSource(DataSource* source) {
    link_.SetDataSource(source);
    Changed(Property::DataSource);
}

void DBGrid::SetOptions(GridOptions options) {
    if (options == options_) return;
    options_ = options;
    Changed(Property::Options);
}

void DBGrid::SetBorderStyle(BorderStyle style) {
    border_ = style;
    Changed(Property::Options);
}

void DBGrid::SetColor(Color color) {
    color_ = color;
    Changed(Property::Options);
}

int DBGrid::ColumnCount() const {
    const auto* set = DataSet();
    if (!set) return 0;
    int count = 0;
    for (int i = 0; i < set->FieldCount(); ++i)
        if (set->Fields(i).Visible()) ++count;
    return count;
}

Field* DBGrid::ColumnField(int column) const {
    const auto* set = DataSet();
    if (!set || column < 0) return nullptr;
    int index = 0;
    for (int i = 0; i < set->FieldCount(); ++i) {
        if (!set->Fields(i).Visible()) continue;
        if (index++ == column) return &set->Fields(i);
    }
    return nullptr;
}

std::string DBGrid::ColumnFieldName(int column) const {
    const auto* field = ColumnField(column);
    return field ? field->FieldName() : std::string();
}

ColumnButtonStyle DBGrid::ButtonStyle(int column) const {
    const auto it = columns_.find(column);
    return it == columns_.end() ? ColumnButtonStyle::Auto : it->second.button;
}

void DBGrid::SetButtonStyle(int column, ColumnButtonStyle style) {
    columns_[column].button = style;
    Changed(Property::GridColumns);
}

TextAlignment DBGrid::TitleAlignment(int column) const {
    const auto it = columns_.find(column);
    return it == columns_.end() ? TextAlignment::Left : it->second.title;
}

void DBGrid::SetTitleAlignment(int column, TextAlignment alignment) {
    columns_[column].title = alignment;
    Changed(Property::TitleAlignment);
}

void DBGrid::SetSelectedIndex(int column) {
    if (column == selected_) return;
    selected_ = column;
    Changed(Property::GridSelection);
}

Field* DBGrid::SelectedField() const {
    if (options_ & dgRowSelect) return nullptr;
    return ColumnField(selected_);
}

void DBGrid::UserSelectCell(int row, int column) {
    if (!CanFocus()) return;
    RunUserEvent([this, row, column] {
        if (!TakeUserFocus()) return;
        if (editorOpen_) CommitEditor();
        if (auto* set = DataSet(); set && row >= 0 && row < set->RecordCount())
            set->MoveToVisibleRow(row);
        if (column >= 0 && column < ColumnCount()) SetSelectedIndex(column);
    });
}

void DBGrid::UserKeyPress(char32_t key) {
    if (!CanFocus()) return;
    RunUserEvent([this, key] {
        if (!Focused() && !TakeUserFocus()) return;
        KeyPressed(key);
    });
}

void DBGrid::UserType(const std::string& text) {
    if (!CanFocus()) return;
    RunUserEvent([this, &text] {
        if (!Focused() && !TakeUserFocus()) return;
        for (char32_t key : detail::DecodeUtf8(text)) KeyPressed(key);
    });
}

void DBGrid::KeyPressed(char32_t key) {
    if (OnKeyPress) OnKeyPress(this, key);
    if (key == 0 || !(options_ & dgEditing)) return;
    auto* set = DataSet();
    auto* field = SelectedField();
    if (!set || !field) return;
    switch (key) {
        case 13:
            if (editorOpen_) CommitEditor();
            return;
        case 9:
            if (editorOpen_) CommitEditor();
            if (selected_ + 1 < ColumnCount()) SetSelectedIndex(selected_ + 1);
            return;
        case 27:
            editorOpen_ = false;
            editorText_.clear();
            Changed(Property::GridEditor);
            return;
        default:
            break;
    }
    if (!editorOpen_) {
        set->Edit();
        editorOpen_ = true;
        editorText_.clear();
    }
    if (key == 8) {
        detail::PopUtf8(editorText_);
    } else if (key >= 32) {
        editorText_ += detail::EncodeUtf8(key);
    }
    Changed(Property::GridEditor);
}

void DBGrid::CommitEditor() {
    auto* field = SelectedField();
    const std::string text = editorText_;
    editorOpen_ = false;
    editorText_.clear();
    Changed(Property::GridEditor);
    if (field) field->SetText(text);
}

void DBGrid::UserEditButtonClick() {
    if (!Usable() || ButtonStyle(selected_) != ColumnButtonStyle::Ellipsis) return;
    RunUserEvent([this] {
        if (OnEditButtonClick) OnEditButtonClick(this);
    });
}

void DBGrid::Link::ActiveChanged() {
    grid_.Changed(Property::GridData);
}

void DBGrid::Link::DataSetChanged() {
    grid_.Changed(Property::GridData);
}

void DBGrid::Link::LayoutChanged() {
    grid_.Changed(Property::GridColumns);
}

bool DBGrid::Link::FocusField(Field& field) {
    for (int c = 0; c < grid_.ColumnCount(); ++c) {
        if (grid_.ColumnField(c) != &field) continue;
        grid_.SetSelectedIndex(c);
        if (grid_.CanFocus() && !grid_.Focused()) grid_.SetFocus();
        return true;
    }
    return false;
}

}  // namespace platform

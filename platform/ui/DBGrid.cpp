// The data grid: columns following the bound set, cell selection and the in-place editor.
#include "platform/ui/DBGrid.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/app/Application.h"
#include "platform/app/DialogPort.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/text/TextFunctions.h"
#include "platform/ui/Form.h"
#include "platform/ui/detail/Utf8.h"

namespace platform {

class DBGrid::Link : public DataLink {
  public:
    explicit Link(DBGrid& grid) : grid_(grid) {}

    void ActiveChanged() override {
        grid_.CloseEditor();
        if (Active()) grid_.RebuildColumns();
        grid_.ClampSelection();
        grid_.Changed(Property::GridData);
    }
    void StateChanged() override {
        const ClientDataSet* set = DataSet();
        if (grid_.editing_ && (set == nullptr || !set->Editing()) &&
            !grid_.HasOption(dgAlwaysShowEditor))
            grid_.CloseEditor();
        grid_.Changed(Property::GridData);
    }
    void DataSetChanged() override {
        if (grid_.editing_ && !grid_.writing_) grid_.LoadEditor();
        grid_.Changed(Property::GridData);
    }
    void DataSetScrolled() override {
        if (grid_.editing_ && !grid_.writing_) grid_.LoadEditor();
        grid_.Changed(Property::GridSelection);
    }
    void RecordChanged(Field* field) override {
        if (grid_.editing_ && !grid_.writing_ &&
            (field == nullptr || field == grid_.SelectedField()))
            grid_.LoadEditor();
        grid_.Changed(Property::GridData);
    }
    void LayoutChanged() override {
        if (Active()) grid_.RebuildColumns();
    }
    // Takes the focus for the field's column; a grid that cannot take the focus now (on a
    // hidden page, say) lets the next control showing the field have it.
    bool FocusField(Field& field) override {
        if (!Active() || !grid_.CanFocus()) return false;
        const int index = grid_.ColumnIndexOf(field.FieldName());
        if (index < 0 || grid_.Columns(index).GetField() != &field) return false;
        grid_.SetSelectedIndex(index);
        grid_.SetFocus();
        if (grid_.CanEditCell()) grid_.OpenEditor(true);
        return true;
    }
    void UpdateData() override { grid_.WriteBack(); }

  private:
    DBGrid& grid_;
};

Field* Column::GetField() const {
    ClientDataSet* set = grid_.link_->DataSet();
    return set != nullptr ? set->FindField(fieldName_) : nullptr;
}

std::string Column::TitleCaption() const {
    if (!titleCaption_.empty()) return titleCaption_;
    const Field* field = GetField();
    return field != nullptr ? field->DisplayLabel() : fieldName_;
}

void Column::SetTitleCaption(std::string caption) {
    titleCaption_ = std::move(caption);
    Changed();
}

void Column::SetTitleAlignment(TextAlignment alignment) {
    if (alignment == titleAlignment_) return;
    titleAlignment_ = alignment;
    Changed();
}

void Column::SetButtonStyle(ColumnButtonStyle style) {
    if (style == buttonStyle_) return;
    buttonStyle_ = style;
    Changed();
}

int Column::Width() const {
    if (width_ > 0) return width_;
    const Field* field = GetField();
    return field != nullptr ? field->DisplayWidth() : 0;
}

void Column::SetWidth(int width) {
    width_ = width;
    Changed();
}

void Column::Changed() {
    grid_.ColumnChanged();
}

DBGrid::DBGrid() : link_(std::make_unique<Link>(*this)) {
    SetTabStopDefault(true);
}

DBGrid::~DBGrid() = default;

bool DBGrid::LinkActive() const {
    return link_->Active();
}

ClientDataSet* DBGrid::DataSet() const {
    return link_->Active() ? link_->DataSet() : nullptr;
}

void DBGrid::SetBorderStyle(BorderStyle style) {
    if (style == border_) return;
    border_ = style;
    Changed(Property::Bounds);
}

void DBGrid::SetColor(Color color) {
    if (color == color_) return;
    color_ = color;
    Changed(Property::Options);
}

DataSource* DBGrid::GetDataSource() const {
    return link_->GetDataSource();
}

void DBGrid::SetDataSource(DataSource* source) {
    if (source == link_->GetDataSource()) return;
    link_->SetDataSource(source);
    Changed(Property::DataSource);
}

void DBGrid::SetOptions(GridOptions options) {
    if (options == options_) return;
    options_ = options;
    if (editing_ && !CanEditCell()) CloseEditor();
    Changed(Property::Options);
}

void DBGrid::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_) return;
    readOnly_ = readOnly;
    if (editing_ && !CanEditCell()) CloseEditor();
    Changed(Property::ReadOnly);
}

Column& DBGrid::AddColumn(const std::string& fieldName) {
    if (!customColumns_) {
        columns_.clear();
        customColumns_ = true;
    }
    columns_.push_back(std::make_unique<Column>(*this, fieldName));
    ClampSelection();
    Changed(Property::GridColumns);
    return *columns_.back();
}

int DBGrid::ColumnIndexOf(const std::string& fieldName) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i]->FieldName() == fieldName) return static_cast<int>(i);
    return -1;
}

void DBGrid::RebuildColumns() {
    if (customColumns_) return;
    std::vector<std::unique_ptr<Column>> rebuilt;
    if (const ClientDataSet* set = link_->DataSet()) {
        for (int i = 0; i < set->FieldCount(); ++i) {
            const Field& field = set->Fields(i);
            if (!field.Visible()) continue;
            auto old = std::find_if(columns_.begin(), columns_.end(), [&field](const auto& c) {
                return c && c->FieldName() == field.FieldName();
            });
            if (old != columns_.end())
                rebuilt.push_back(std::move(*old));
            else
                rebuilt.push_back(std::make_unique<Column>(*this, field.FieldName()));
        }
    }
    columns_ = std::move(rebuilt);
    ClampSelection();
    Changed(Property::GridColumns);
}

void DBGrid::ClampSelection() {
    const int count = static_cast<int>(columns_.size());
    const int clamped = count == 0 ? 0 : std::clamp(selected_, 0, count - 1);
    if (clamped != selected_) {
        selected_ = clamped;
        Changed(Property::GridSelection);
    }
}

int DBGrid::RowCount() const {
    return LinkActive() ? link_->DataSet()->RecordCount() : 0;
}

int DBGrid::Row() const {
    return LinkActive() ? link_->DataSet()->VisibleRowIndex() : -1;
}

std::string DBGrid::CellText(int row, int column) const {
    if (!LinkActive() || row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount())
        return "";
    const Field* field = Columns(column).GetField();
    return field != nullptr ? link_->DataSet()->VisibleRowText(row, *field, true) : "";
}

void DBGrid::SetSelectedIndex(int index) {
    if (index < 0 || index >= static_cast<int>(columns_.size()))
        throw Error("Coluna fora dos limites (" + std::to_string(index) + ")");
    if (index == selected_) return;
    selected_ = index;
    if (editing_) LoadEditor();
    Changed(Property::GridSelection);
}

Field* DBGrid::SelectedField() const {
    if (!LinkActive() || HasOption(dgRowSelect) || columns_.empty()) return nullptr;
    return columns_[static_cast<std::size_t>(selected_)]->GetField();
}

bool DBGrid::CanEditCell() const {
    return LinkActive() && HasOption(dgEditing) && !HasOption(dgRowSelect) && !readOnly_ &&
           SelectedField() != nullptr && !link_->DataSet()->ReadOnly() && RowCount() > 0;
}

std::string DBGrid::EditorText() const {
    if (!editing_) return "";
    return maskedEditor_ ? maskedEditor_->Display() : plainEditor_;
}

void DBGrid::OpenEditor(bool selectAll) {
    if (!editing_) {
        editing_ = true;
        LoadEditor();
    }
    selectAll_ = selectAll;
}

void DBGrid::CloseEditor() {
    if (!editing_) return;
    editing_ = false;
    editorModified_ = false;
    maskedEditor_.reset();
    plainEditor_.clear();
    Changed(Property::GridEditor);
}

void DBGrid::LoadEditor() {
    const Field* field = SelectedField();
    const std::string text = field != nullptr ? field->Text() : "";
    const std::string mask = field != nullptr ? field->EditMask() : "";
    if (mask.empty()) {
        maskedEditor_.reset();
    } else {
        maskedEditor_ = std::make_unique<detail::MaskedText>(mask);
        maskedEditor_->SetText(text);
    }
    plainEditor_ = text;
    editorModified_ = false;
    Changed(Property::GridEditor);
}

void DBGrid::WriteBack() {
    if (!editing_ || !editorModified_) return;
    Field* field = SelectedField();
    if (field == nullptr) return;
    const std::string text = maskedEditor_ ? maskedEditor_->Text() : plainEditor_;
    writing_ = true;
    try {
        field->SetText(text);
    } catch (...) {
        writing_ = false;
        // The refused text stays for the user to see; what is typed next replaces it.
        selectAll_ = true;
        Changed(Property::GridEditor);
        throw;
    }
    writing_ = false;
    LoadEditor();
}

void DBGrid::TypeKey(char32_t key) {
    if (key == 13) {
        EnterKey();
        return;
    }
    if (key != 8 && key < 32) return;
    if (!CanEditCell()) return;
    if (key == 8 && !editing_) return;
    if (!editing_) OpenEditor(true);
    ClientDataSet* set = link_->DataSet();
    if (!set->Editing()) set->Edit();
    if (!editing_) return;  // the state change may have closed it
    if (selectAll_) {
        selectAll_ = false;
        if (maskedEditor_)
            maskedEditor_->Clear();
        else
            plainEditor_.clear();
        editorModified_ = true;
    }
    if (key == 8) {
        if (maskedEditor_)
            maskedEditor_->Backspace();
        else
            detail::PopUtf8(plainEditor_);
    } else if (maskedEditor_) {
        maskedEditor_->Type(key);
    } else {
        const Field* field = SelectedField();
        const int size = field != nullptr && IsStringType(field->DataType()) ? field->Size() : 0;
        if (size <= 0 || Utf8Length(plainEditor_) < static_cast<std::size_t>(size))
            plainEditor_ += Utf8Encode(key);
    }
    editorModified_ = true;
    Changed(Property::GridEditor);
}

void DBGrid::EnterKey() {
    if (!editing_) {
        if (CanEditCell()) OpenEditor(true);
        Changed(Property::GridEditor);
        return;
    }
    WriteBack();
    if (!HasOption(dgAlwaysShowEditor)) CloseEditor();
}

void DBGrid::SelectCell(int row, int column) {
    if (row != Row()) {
        WriteBack();
        link_->DataSet()->MoveToVisibleRow(row);
    }
    if (column != selected_) {
        WriteBack();
        selected_ = column;
        Changed(Property::GridSelection);
    }
    if (HasOption(dgAlwaysShowEditor) && CanEditCell()) {
        CloseEditor();
        OpenEditor(true);
    } else {
        CloseEditor();
    }
}

void DBGrid::MoveRow(int delta) {
    SelectCell(Row() + delta, selected_);
}

bool DBGrid::MoveColumn(bool backward) {
    const int count = static_cast<int>(columns_.size());
    if (count == 0 || HasOption(dgRowSelect)) return false;
    if (!backward) {
        if (selected_ < count - 1) {
            SelectCell(Row(), selected_ + 1);
            return true;
        }
        if (Row() < RowCount() - 1) {
            SelectCell(Row() + 1, 0);
            return true;
        }
    } else {
        if (selected_ > 0) {
            SelectCell(Row(), selected_ - 1);
            return true;
        }
        if (Row() > 0) {
            SelectCell(Row() - 1, count - 1);
            return true;
        }
    }
    return false;
}

bool DBGrid::TabWithin(bool backward) {
    if (!HasOption(dgTabs) || !LinkActive()) return false;
    WriteBack();
    return MoveColumn(backward);
}

void DBGrid::DoExit() {
    if (LinkActive()) {
        ClientDataSet* set = link_->DataSet();
        if (HasOption(dgCancelOnExit) && set->State() == DataSetState::Insert && !set->Modified() &&
            !editorModified_) {
            CloseEditor();
            set->Cancel();
        } else {
            WriteBack();
        }
    }
    CloseEditor();
    WinControl::DoExit();
}

bool DBGrid::BeginUserInput() {
    RequireForm();
    return CanFocus();
}

// Like a click into the grid: the grid takes the focus even while it shows nothing (leaving
// a container may switch its link on), then the cell is selected when it exists.
void DBGrid::UserSelectCell(int row, int column) {
    if (!BeginUserInput()) return;
    RunUserEvent([this, row, column] {
        if (!TakeUserFocus() || !LinkActive()) return;
        if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return;
        SelectCell(row, column);
    });
}

void DBGrid::UserSelectField(const std::string& fieldName) {
    const int column = ColumnIndexOf(fieldName);
    if (column >= 0) UserSelectCell(std::max(Row(), 0), column);
}

void DBGrid::UserType(const std::string& text) {
    if (!BeginUserInput()) return;
    RunUserEvent([this, &text] {
        if (!TakeUserFocus()) return;
        for (char32_t key : Utf8Decode(text)) {
            if (OnKeyPress) OnKeyPress(this, key);
            if (key != 0 && LinkActive()) TypeKey(key);
        }
    });
}

void DBGrid::UserKeyPress(char32_t key) {
    UserType(Utf8Encode(key));
}

void DBGrid::UserKey(GridKey key) {
    if (!BeginUserInput()) return;
    if (key == GridKey::Enter) {
        UserType("\r");
        return;
    }
    RunUserEvent([this, key] {
        if (!TakeUserFocus() || !LinkActive()) return;
        ClientDataSet* set = link_->DataSet();
        const bool canModify = HasOption(dgEditing) && !readOnly_ && !set->ReadOnly();
        switch (key) {
            case GridKey::Tab:
            case GridKey::ShiftTab: {
                const bool backward = key == GridKey::ShiftTab;
                if (!TabWithin(backward)) {
                    Form& form = RequireForm();
                    if (Control* next = form.Focus().NextTabStop(backward))
                        form.Focus().MoveTo(next);
                }
                if (Focused() && OnKeyPress) {
                    char32_t tab = 9;
                    OnKeyPress(this, tab);
                }
                break;
            }
            case GridKey::Escape:
                if (editing_ && editorModified_) {
                    LoadEditor();
                } else {
                    CloseEditor();
                    set->Cancel();
                }
                break;
            case GridKey::F2:
                if (CanEditCell()) {
                    OpenEditor(false);
                    Changed(Property::GridEditor);
                }
                break;
            case GridKey::Insert:
                if (!canModify) break;
                WriteBack();
                CloseEditor();
                set->Insert();
                break;
            case GridKey::Down:
                WriteBack();
                if (set->State() == DataSetState::Insert && !set->Modified()) break;
                if (Row() >= RowCount() - 1) {
                    if (!canModify) break;
                    CloseEditor();
                    set->Append();
                } else {
                    MoveRow(1);
                }
                break;
            case GridKey::Up:
                WriteBack();
                if (set->State() == DataSetState::Insert && !set->Modified()) {
                    CloseEditor();
                    set->Cancel();
                } else if (Row() > 0) {
                    MoveRow(-1);
                }
                break;
            case GridKey::CtrlDelete: {
                if (!canModify || set->IsEmpty()) break;
                if (HasOption(dgConfirmDelete)) {
                    DialogPort* dialogs = RequireForm().App().Dialogs();
                    if (dialogs == nullptr ||
                        dialogs->Ask("Excluir registro?", DialogType::Confirmation, mbOK | mbCancel,
                                     0) != mrOk)
                        break;
                }
                CloseEditor();
                set->Delete();
                break;
            }
            case GridKey::Enter:
                break;
        }
    });
}

void DBGrid::UserEditButtonClick() {
    if (!BeginUserInput()) return;
    RunUserEvent([this] {
        if (!TakeUserFocus() || !CanEditCell()) return;
        if (Columns(selected_).ButtonStyle() != ColumnButtonStyle::Ellipsis) return;
        if (OnEditButtonClick) OnEditButtonClick(this);
    });
}

void DBGrid::UserPost() {
    RequireForm();
    if (!Usable() || !LinkActive()) return;
    RunUserEvent([this] {
        ClientDataSet* set = link_->DataSet();
        if (!set->Editing()) return;
        WriteBack();
        set->Post();
    });
}

void DBGrid::UserCancel() {
    RequireForm();
    if (!Usable() || !LinkActive()) return;
    RunUserEvent([this] {
        CloseEditor();
        link_->DataSet()->Cancel();
    });
}

}  // namespace platform

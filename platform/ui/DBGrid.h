// DBGrid: the data grid. Shows the rows of the set bound to its data source (nothing while
// the source is switched off), selects a cell, and edits cells in place through the fields'
// text paths, every typed character passing its key-press event first.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/data/DataLink.h"

#include "platform/ui/Column.h"
#include "platform/ui/Control.h"
#include "platform/ui/detail/MaskedText.h"

namespace platform {

class ClientDataSet;
class DataSource;
class Field;

// The grid's options as a bit set, in this order (so 3829 = editing, titles, column resize,
// column and row lines, tabs, always-show-selection, confirm delete, cancel on exit).
enum GridOption : unsigned {
    dgEditing = 1u << 0,
    dgAlwaysShowEditor = 1u << 1,
    dgTitles = 1u << 2,
    dgIndicator = 1u << 3,
    dgColumnResize = 1u << 4,
    dgColLines = 1u << 5,
    dgRowLines = 1u << 6,
    dgTabs = 1u << 7,
    dgRowSelect = 1u << 8,
    dgAlwaysShowSelection = 1u << 9,
    dgConfirmDelete = 1u << 10,
    dgCancelOnExit = 1u << 11,
    dgMultiSelect = 1u << 12,
};
using GridOptions = unsigned;

enum class BorderStyle { None, Single };
enum class Color { Window, InfoBk };

// Keys the grid handles besides typed characters.
enum class GridKey { Tab, ShiftTab, Enter, Escape, F2, Insert, Up, Down, CtrlDelete };

class DBGrid : public WinControl {
  public:
    DBGrid();
    ~DBGrid() override;

    DataSource* GetDataSource() const;
    void SetDataSource(DataSource* source);
    // The data source is switched on, a set is bound and open.
    bool LinkActive() const;
    // The bound set while the link is active, else null.
    ClientDataSet* DataSet() const;

    BorderStyle GetBorderStyle() const { return border_; }
    void SetBorderStyle(BorderStyle style);
    Color GetColor() const { return color_; }
    void SetColor(Color color);

    GridOptions Options() const { return options_; }
    void SetOptions(GridOptions options);
    bool HasOption(GridOption option) const { return (options_ & option) != 0; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // Without columns of its own (AddColumn never called) the columns follow the visible
    // fields of the bound set, in field order; settings of a column (button, alignment)
    // stay while its field does.
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    // Raises std::out_of_range for an index outside the columns.
    Column& Columns(int index) const { return *columns_.at(static_cast<std::size_t>(index)); }
    // Shorthands for a column's field and settings.
    Field* ColumnField(int column) const { return Columns(column).GetField(); }
    std::string ColumnFieldName(int column) const { return Columns(column).FieldName(); }
    ColumnButtonStyle ButtonStyle(int column) const { return Columns(column).ButtonStyle(); }
    void SetButtonStyle(int column, ColumnButtonStyle style) {
        Columns(column).SetButtonStyle(style);
    }
    TextAlignment TitleAlignment(int column) const { return Columns(column).TitleAlignment(); }
    void SetTitleAlignment(int column, TextAlignment alignment) {
        Columns(column).SetTitleAlignment(alignment);
    }
    Column& AddColumn(const std::string& fieldName);
    // The index of the column showing `fieldName` (exact name), or -1.
    int ColumnIndexOf(const std::string& fieldName) const;

    // Rows shown: the visible rows of the set, none while the link is not active.
    int RowCount() const;
    // The current row, -1 when there is none.
    int Row() const;
    // A cell's display text; "" outside the data or while the link is not active.
    std::string CellText(int row, int column) const;
    int SelectedIndex() const { return selected_; }
    // Selects a column by code (no writing back of the editor); an index out of range raises.
    void SetSelectedIndex(int index);
    // The field of the current cell; null with whole-row selection, with no column or while
    // the link is not active.
    Field* SelectedField() const;

    // The in-place editor: open or not, and what it shows (the mask's display for a masked
    // field).
    bool EditorOpen() const { return editing_; }
    std::string EditorText() const;
    // Whether the next character typed replaces the editor's whole text (a cell just opened
    // by typing, or a write just refused).
    bool EditorSelected() const { return editing_ && selectAll_; }

    // Input methods. Each first gives the grid the focus (a refused move ends it), then
    // acts on the data unless the link is off or the cell does not exist; nothing at all
    // happens on a disabled or hidden grid.
    // Moving to another cell or row first writes the editor back; a refused write keeps
    // the editor open with the user's text and is reported.
    void UserSelectCell(int row, int column);
    void UserSelectField(const std::string& fieldName);
    // Types characters: each goes through OnKeyPress (a handler setting it to 0 discards
    // it), then to the grid: Enter (13) opens or closes the editor, backspace (8) deletes,
    // printable characters open the editor over the whole text (when editing is allowed)
    // and are typed through the field's edit mask.
    void UserType(const std::string& text);
    void UserKeyPress(char32_t key);
    void UserKey(GridKey key);
    // A click on the ellipsis button of the current column: OnEditButtonClick.
    void UserEditButtonClick();
    // Post and cancel as the grid's keys and buttons do: write back, then post; or drop the
    // editor, then cancel.
    void UserPost();
    void UserCancel();

    bool AcceptsFocus() const override { return true; }
    void DoExit() override;
    bool TabWithin(bool backward) override;

    KeyPressEvent OnKeyPress;
    NotifyEvent OnEditButtonClick;

  private:
    class Link;
    friend class Column;
    friend class Link;

    bool CanEditCell() const;
    void OpenEditor(bool selectAll);
    void CloseEditor();
    void LoadEditor();
    // Writes a modified editor into its field (Field::SetText); raises what the field raises,
    // leaving the editor open with the user's text.
    void WriteBack();
    void TypeKey(char32_t key);
    void EnterKey();
    bool MoveColumn(bool backward);
    void MoveRow(int delta);
    void SelectCell(int row, int column);
    void RebuildColumns();
    void ClampSelection();
    void ColumnChanged() { Changed(Property::GridColumns); }
    bool BeginUserInput();

    std::unique_ptr<Link> link_;
    std::vector<std::unique_ptr<Column>> columns_;
    bool customColumns_ = false;
    GridOptions options_ = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                           dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;
    bool readOnly_ = false;
    BorderStyle border_ = BorderStyle::Single;
    Color color_ = Color::Window;
    int selected_ = 0;

    bool editing_ = false;
    bool editorModified_ = false;
    bool selectAll_ = false;
    bool writing_ = false;
    std::string plainEditor_;
    std::unique_ptr<detail::MaskedText> maskedEditor_;
};

}  // namespace platform

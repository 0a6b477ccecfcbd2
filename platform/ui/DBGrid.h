// DBGrid: a data-aware grid. Its columns follow the visible fields of its data link's set, in
// field order; per-column settings (title alignment, ellipsis button) stay with the column
// position. Typed characters go through OnKeyPress first; with editing on they go to a cell
// editor that writes the field's text back on Enter or Tab.
#pragma once

#include <map>
#include <string>

#include "platform/data/DataLink.h"
#include "platform/ui/Control.h"

namespace platform {

class ClientDataSet;
class DataSource;
class Field;

// Grid options, a bit set in this order.
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

enum class ColumnButtonStyle { Auto, Ellipsis };
enum class TextAlignment { Left, Right, Center };
enum class BorderStyle { None, Single };
enum class Color { Window, InfoBk };

class DBGrid : public WinControl {
  public:
    DBGrid();
    ~DBGrid() override;

    DataSource* GetDataSource() const { return link_.GetDataSource(); }
    void SetDataSource(DataSource* source);
    ClientDataSet* DataSet() const { return link_.Active() ? link_.DataSet() : nullptr; }

    GridOptions Options() const { return options_; }
    void SetOptions(GridOptions options);
    BorderStyle GetBorderStyle() const { return border_; }
    void SetBorderStyle(BorderStyle style);
    Color GetColor() const { return color_; }
    void SetColor(Color color);

    // Columns: the visible fields of the active link's set (none while it is inactive).
    int ColumnCount() const;
    Field* ColumnField(int column) const;
    std::string ColumnFieldName(int column) const;
    ColumnButtonStyle ButtonStyle(int column) const;
    void SetButtonStyle(int column, ColumnButtonStyle style);
    TextAlignment TitleAlignment(int column) const;
    void SetTitleAlignment(int column, TextAlignment alignment);

    // The current column, from 0.
    int SelectedIndex() const { return selected_; }
    void SetSelectedIndex(int column);
    // The current cell's field; null with row selection or no column.
    Field* SelectedField() const;

    bool EditorOpen() const { return editorOpen_; }
    const std::string& EditorText() const { return editorText_; }

    // Input methods. UserSelectCell focuses the grid and moves to the row (among the visible
    // rows) and column. UserKeyPress focuses the grid and types one character: OnKeyPress
    // first (a null key is discarded); with editing on, Enter commits the editor, Tab commits
    // and moves to the next column, Escape drops the editor, Backspace deletes, anything else
    // opens the editor on the current cell (the set goes into edit) and is appended.
    // UserEditButtonClick raises OnEditButtonClick for a current cell with an ellipsis.
    void UserSelectCell(int row, int column);
    void UserKeyPress(char32_t key);
    void UserType(const std::string& text);
    void UserEditButtonClick();

    bool AcceptsFocus() const override { return true; }

    KeyPressEvent OnKeyPress;
    NotifyEvent OnEditButtonClick;

  private:
    class Link : public DataLink {
      public:
        explicit Link(DBGrid& grid) : grid_(grid) {}
        void ActiveChanged() override;
        void DataSetChanged() override;
        void LayoutChanged() override;
        bool FocusField(Field& field) override;

      private:
        DBGrid& grid_;
    };
    friend class Link;

    void CommitEditor();
    void KeyPressed(char32_t key);

    struct ColumnSettings {
        ColumnButtonStyle button = ColumnButtonStyle::Auto;
        TextAlignment title = TextAlignment::Left;
    };
    Link link_;
    GridOptions options_ = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                           dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;
    BorderStyle border_ = BorderStyle::Single;
    Color color_ = Color::Window;
    std::map<int, ColumnSettings> columns_;
    int selected_ = 0;
    bool editorOpen_ = false;
    std::string editorText_;
};

}  // namespace platform

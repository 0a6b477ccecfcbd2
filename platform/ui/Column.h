// Column: one column of a data grid, showing one field of the bound set by name.
#pragma once

#include <string>

namespace platform {

class DBGrid;
class Field;

enum class ColumnButtonStyle { Auto, Ellipsis };
enum class TextAlignment { Left, Right, Center };

class Column {
  public:
    Column(DBGrid& grid, std::string fieldName) : grid_(grid), fieldName_(std::move(fieldName)) {}
    Column(const Column&) = delete;
    Column& operator=(const Column&) = delete;

    const std::string& FieldName() const { return fieldName_; }
    // The bound set's field of that name; null while the grid has no set or no such field.
    Field* GetField() const;

    // The field's label unless a caption was set.
    std::string TitleCaption() const;
    void SetTitleCaption(std::string caption);
    TextAlignment TitleAlignment() const { return titleAlignment_; }
    void SetTitleAlignment(TextAlignment alignment);
    ColumnButtonStyle ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(ColumnButtonStyle style);
    // Characters; the field's display width unless set.
    int Width() const;
    void SetWidth(int width);

  private:
    void Changed();

    DBGrid& grid_;
    std::string fieldName_;
    std::string titleCaption_;
    TextAlignment titleAlignment_ = TextAlignment::Left;
    ColumnButtonStyle buttonStyle_ = ColumnButtonStyle::Auto;
    int width_ = 0;
};

}  // namespace platform

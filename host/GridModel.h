// A Qt table model over a data grid. Lazy: it asks the grid only for the cells a view paints,
// each formatted by the grid through the field's get-text hook. While the grid's data link is
// off it has no rows and no columns.
#pragma once

#include <QAbstractTableModel>
#include <string>

namespace platform {
class DBGrid;
class Field;
}  // namespace platform

namespace host {

// The text a cell shows for the field's display text: a money value without a display rule of
// its own as a balance ("2.500,00 DB"), a UTC moment in the user's local date and time; any
// other text as it is.
QString ShownCellText(const platform::Field* field, const std::string& text);

class GridModel : public QAbstractTableModel {
  public:
    explicit GridModel(platform::DBGrid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rows, columns or titles may have changed: the view asks again.
    void Reset();

  private:
    platform::DBGrid& grid_;
    int rows_ = 0;
    int columns_ = 0;
};

}  // namespace host

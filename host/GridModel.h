// A Qt table model over a data grid. Lazy: it asks the grid only for the cells a view paints,
// each formatted by the grid through the field's get-text hook. While the grid's data link is
// off it has no rows and no columns.
#pragma once

#include <QAbstractTableModel>

namespace platform {
class DBGrid;
}

namespace host {

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

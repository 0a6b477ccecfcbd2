// A Qt table model over a data grid's record set. Lazy: it asks the set only for the cells a
// view paints, each formatted through the field's get-text hook. While the grid's data link
// is off it has no rows and no columns.
#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "platform/data/DataLink.h"

namespace platform {
class DBGrid;
}

namespace host {

class GridModel : public QAbstractTableModel {
  public:
    explicit GridModel(platform::DBGrid& grid, QObject* parent = nullptr);
    ~GridModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Follows the grid's data source again (after the grid was given another one).
    void Relink();
    // Everything may have changed (rows, columns, titles).
    void Reset();
    // Called when the set's cursor moved; the view follows it.
    std::function<void()> onScrolled;

  private:
    class Link : public platform::DataLink {
      public:
        explicit Link(GridModel& model) : model_(model) {}
        void ActiveChanged() override { model_.Reset(); }
        void DataSetChanged() override { model_.Reset(); }
        void LayoutChanged() override { model_.Reset(); }
        void DataSetScrolled() override;
        void RecordChanged(platform::Field* field) override;

      private:
        GridModel& model_;
    };

    platform::DBGrid& grid_;
    Link link_;
    int rows_ = 0;
    int columns_ = 0;
};

}  // namespace host

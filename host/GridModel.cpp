// The lazy grid model.
#include "host/GridModel.h"

#include "host/Peer.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/Field.h"
#include "platform/ui/DBGrid.h"

namespace host {

GridModel::GridModel(platform::DBGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), link_(*this) {
    Relink();
}

GridModel::~GridModel() {
    link_.SetDataSource(nullptr);
}

void GridModel::Relink() {
    link_.SetDataSource(grid_.GetDataSource());
    Reset();
}

void GridModel::Reset() {
    beginResetModel();
    const platform::ClientDataSet* set = grid_.DataSet();
    rows_ = set != nullptr ? set->RecordCount() : 0;
    columns_ = set != nullptr ? grid_.ColumnCount() : 0;
    endResetModel();
    if (onScrolled) onScrolled();
}

void GridModel::Link::DataSetScrolled() {
    if (model_.onScrolled) model_.onScrolled();
}

void GridModel::Link::RecordChanged(platform::Field* /*field*/) {
    const platform::ClientDataSet* set = model_.grid_.DataSet();
    if (set == nullptr) return;
    if (set->RecordCount() != model_.rows_) {
        model_.Reset();
        return;
    }
    const int row = set->VisibleRowIndex();
    if (row < 0 || model_.columns_ == 0) return;
    emit model_.dataChanged(model_.index(row, 0), model_.index(row, model_.columns_ - 1));
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    const platform::ClientDataSet* set = grid_.DataSet();
    if (set == nullptr || !index.isValid() || index.row() >= set->RecordCount()) return {};
    const platform::Field* field = grid_.ColumnField(index.column());
    if (field == nullptr) return {};
    switch (role) {
        case Qt::DisplayRole:
            return ToQt(set->VisibleRowText(index.row(), *field, true));
        case Qt::TextAlignmentRole:
            if (field->DataType() == platform::FieldType::Double)
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role != Qt::DisplayRole) return {};
        const platform::ClientDataSet* set = grid_.DataSet();
        // The indicator column marks the current row.
        return set != nullptr && set->VisibleRowIndex() == section ? QStringLiteral("▶")
                                                                   : QString();
    }
    const platform::Field* field = grid_.ColumnField(section);
    if (field == nullptr) return {};
    switch (role) {
        case Qt::DisplayRole:
            return ToQt(field->DisplayLabel());
        case Qt::TextAlignmentRole:
            switch (grid_.TitleAlignment(section)) {
                case platform::TextAlignment::Right:
                    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
                case platform::TextAlignment::Center:
                    return QVariant::fromValue(Qt::AlignCenter);
                case platform::TextAlignment::Left:
                    break;
            }
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

}  // namespace host

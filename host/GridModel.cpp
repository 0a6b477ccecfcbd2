// The lazy grid model.
#include "host/GridModel.h"

#include "host/Peer.h"
#include "library/Frmpadr.h"
#include "platform/data/Field.h"
#include "platform/ui/Column.h"
#include "platform/ui/DBGrid.h"

namespace host {

namespace {

QVariant Alignment(platform::TextAlignment alignment) {
    switch (alignment) {
        case platform::TextAlignment::Right:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case platform::TextAlignment::Center:
            return QVariant::fromValue(Qt::AlignCenter);
        case platform::TextAlignment::Left:
            break;
    }
    return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
}

}  // namespace

GridModel::GridModel(platform::DBGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
    Reset();
}

void GridModel::Reset() {
    beginResetModel();
    const bool active = grid_.DataSet() != nullptr;
    rows_ = active ? grid_.RowCount() : 0;
    columns_ = active ? grid_.ColumnCount() : 0;
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= grid_.ColumnCount())
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return ToQt(grid_.CellText(index.row(), index.column()));
        case Qt::TextAlignmentRole: {
            const platform::Field* field = grid_.ColumnField(index.column());
            const bool number =
                field != nullptr && field->DataType() == platform::FieldType::Double;
            return Alignment(number ? platform::TextAlignment::Right
                                    : platform::TextAlignment::Left);
        }
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        // The indicator column marks the current row.
        if (role != Qt::DisplayRole) return {};
        return grid_.Row() == section ? QStringLiteral("▶") : QString();
    }
    if (section < 0 || section >= grid_.ColumnCount()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return ToQt(grid_.Columns(section).TitleCaption());
        case Qt::TextAlignmentRole:
            return Alignment(grid_.TitleAlignment(section));
        case Qt::ToolTipRole: {
            // The title of a value column tells how a debit is typed.
            const platform::Field* field = grid_.ColumnField(section);
            if (field == nullptr) return {};
            const std::string hint = library::EntryHint(*field);
            return hint.empty() ? QVariant() : QVariant(ToQt(hint));
        }
        default:
            return {};
    }
}

}  // namespace host

// The lazy grid model.
#include "host/GridModel.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cstdlib>
#include <string>

#include "core/Money.h"
#include "core/PtBrNumber.h"
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

QString ShownCellText(const platform::Field* field, const std::string& text) {
    if (field == nullptr || field->OnGetText || !field->DisplayFormat().empty() || text.empty())
        return ToQt(text);
    if (field->Money() && field->DataType() == platform::FieldType::Double) {
        // A money value without a display rule of its own reads as the screen's balances.
        const std::optional<std::string> plain = core::PlainNumber(text);
        const std::optional<std::int64_t> cents =
            plain ? core::CentsOf(std::strtod(plain->c_str(), nullptr)) : std::nullopt;
        return cents ? ToQt(core::BalanceText(*cents)) : ToQt(text);
    }
    // A moment the server wrote in UTC ("2026-12-09T00:04:22Z") shows in the user's time.
    static const QRegularExpression utc(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d(:\\d\\d)?Z$"));
    const QString raw = ToQt(text);
    if (!utc.match(raw).hasMatch()) return raw;
    const QDateTime moment = QDateTime::fromString(raw, Qt::ISODate);
    return moment.isValid() ? moment.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                            : raw;
}

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
            return ShownCellText(grid_.ColumnField(index.column()),
                                 grid_.CellText(index.row(), index.column()));
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

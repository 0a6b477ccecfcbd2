// The grid peer: selection, keys, in-place editor and ellipsis button through the framework.
#include "host/GridPeer.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>

#include "host/GridModel.h"
#include "host/Shell.h"
#include "library/Frmpadr.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/Field.h"
#include "platform/text/EditMask.h"
#include "platform/ui/DBGrid.h"

namespace host {

class GridPeer::KeyFilter : public QObject {
  public:
    explicit KeyFilter(GridPeer& peer) : peer_(peer) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && peer_.KeyPressed(static_cast<QKeyEvent*>(event)))
            return true;
        return QObject::eventFilter(watched, event);
    }

  private:
    GridPeer& peer_;
};

GridPeer::GridPeer(Shell& shell, platform::DBGrid& grid, QWidget* parent)
    : Peer(shell, grid, new QTableView(parent)),
      grid_(grid),
      view_(static_cast<QTableView*>(Widget())),
      model_(new GridModel(grid, view_)),
      editor_(new QLineEdit(view_->viewport())),
      ellipsis_(new QToolButton(view_->viewport())),
      filter_(new KeyFilter(*this)) {
    view_->setModel(model_);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setTabKeyNavigation(false);
    view_->setWordWrap(false);
    view_->setCornerButtonEnabled(false);
    // Uniform row heights keep a million-row set as cheap as a ten-row one.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->verticalHeader()->setFixedWidth(14);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->installEventFilter(filter_);

    editor_->setObjectName(ToQt(grid.Name()) + "Editor");
    editor_->setFocusPolicy(Qt::NoFocus);
    editor_->setAccessibleName(QStringLiteral("Célula em edição"));
    editor_->setFrame(false);
    // The editor never takes the Qt focus (the grid hands it the keys): its frame shows
    // where typing goes.
    editor_->setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid palette(highlight); }"));
    editor_->hide();
    ellipsis_->setObjectName(ToQt(grid.Name()) + "Ellipsis");
    ellipsis_->setText(QStringLiteral("…"));
    ellipsis_->setToolTip(QStringLiteral("Pesquisar (Ctrl+Enter)"));
    ellipsis_->setAccessibleName(QStringLiteral("Pesquisar"));
    ellipsis_->setFocusPolicy(Qt::NoFocus);
    ellipsis_->hide();
    QObject::connect(ellipsis_, &QToolButton::clicked, Context(),
                     [this] { grid_.UserEditButtonClick(); });

    QObject::connect(model_, &QAbstractItemModel::modelReset, Context(), [this] { SizeColumns(); });
    QObject::connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, Context(),
                     [this](const QModelIndex& current) {
                         if (shell_.Syncing() || !current.isValid()) return;
                         grid_.UserSelectCell(current.row(), current.column());
                         ShowCurrent();
                     });
    QObject::connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, Context(),
                     [this] { ShowEditor(); });
    QObject::connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, Context(),
                     [this] { ShowEditor(); });
}

GridPeer::~GridPeer() {
    delete filter_;
}

void GridPeer::UpdateAll() {
    Peer::UpdateAll();
    ApplyOptions();
    model_->Reset();
    ShowCurrent();
}

void GridPeer::Update(platform::Property property) {
    using platform::Property;
    switch (property) {
        case Property::DataSource:
        case Property::GridData:
        case Property::GridColumns:
            model_->Reset();
            ShowCurrent();
            break;
        case Property::TitleAlignment:
            emit model_->headerDataChanged(Qt::Horizontal, 0, model_->columnCount() - 1);
            break;
        case Property::Options:
            ApplyOptions();
            break;
        case Property::GridSelection:
            ShowCurrent();
            break;
        case Property::GridEditor:
            ShowEditor();
            break;
        default:
            Peer::Update(property);
            break;
    }
}

void GridPeer::ApplyOptions() {
    const auto options = grid_.Options();
    view_->horizontalHeader()->setVisible((options & platform::dgTitles) != 0);
    view_->verticalHeader()->setVisible((options & platform::dgIndicator) != 0);
    view_->setSelectionBehavior((options & platform::dgRowSelect) ? QAbstractItemView::SelectRows
                                                                  : QAbstractItemView::SelectItems);
    view_->setShowGrid((options & (platform::dgColLines | platform::dgRowLines)) != 0);
    view_->horizontalHeader()->setSectionResizeMode(
        (options & platform::dgColumnResize) ? QHeaderView::Interactive : QHeaderView::Fixed);
    view_->setFrameShape(grid_.GetBorderStyle() == platform::BorderStyle::None
                             ? QFrame::NoFrame
                             : QFrame::StyledPanel);
    QPalette palette = view_->palette();
    palette.setColor(QPalette::Base, grid_.GetColor() == platform::Color::InfoBk
                                         ? QApplication::palette().color(QPalette::ToolTipBase)
                                         : QApplication::palette().color(QPalette::Base));
    view_->setPalette(palette);
    ShowCurrent();
}

void GridPeer::SizeColumns() {
    // Wide enough for the title, for the field's display width in digits (the widest
    // characters of dates and values) and for the texts of the first rows.
    const QFontMetrics metrics = view_->fontMetrics();
    const QFontMetrics titles = view_->horizontalHeader()->fontMetrics();
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    const int sampled = std::min(model_->rowCount(), kSampledRows);
    for (int c = 0; c < model_->columnCount(); ++c) {
        const platform::Column& column = grid_.Columns(c);
        const platform::Field* field = column.GetField();
        const bool text = field != nullptr && field->DataType() != platform::FieldType::Double &&
                          field->DataType() != platform::FieldType::DateTime;
        // Names are as wide as what they hold (up to their display width); numbers and dates
        // get room for their whole display width in digits.
        const int base = text ? std::min(column.Width(), kNameChars) * metrics.averageCharWidth()
                              : column.Width() * digit;
        int width = std::max(base, titles.horizontalAdvance(ToQt(column.TitleCaption())) + 8);
        for (int r = 0; r < sampled; ++r)
            width = std::max(width,
                             metrics.horizontalAdvance(ShownCellText(field, grid_.CellText(r, c))));
        if (column.ButtonStyle() == platform::ColumnButtonStyle::Ellipsis)
            width += view_->verticalHeader()->defaultSectionSize();
        view_->setColumnWidth(c, width + 16);
    }
}

QString GridPeer::InputHint() const {
    const platform::Field* field = grid_.SelectedField();
    if (field == nullptr || grid_.DataSet() == nullptr) return {};
    if (grid_.ButtonStyle(grid_.SelectedIndex()) == platform::ColumnButtonStyle::Ellipsis)
        return QStringLiteral("Ctrl+Enter ou o botão … abrem a pesquisa.");
    const bool editable = grid_.HasOption(platform::dgEditing) && !grid_.ReadOnly();
    if (!editable) return {};
    const QString form = MaskHint(field->EditMask());
    return form.isEmpty() ? ToQt(library::EntryHint(*field)) : form;
}

void GridPeer::ShowCurrent() {
    Shell::SyncGuard guard(shell_);
    const int row = grid_.Row();
    if (row < 0 || row >= model_->rowCount() || model_->columnCount() == 0) {
        view_->selectionModel()->clearCurrentIndex();
        view_->clearSelection();
    } else {
        const int column = std::clamp(grid_.SelectedIndex(), 0, model_->columnCount() - 1);
        const QModelIndex index = model_->index(row, column);
        if (view_->currentIndex() != index) {
            view_->selectionModel()->setCurrentIndex(
                index,
                QItemSelectionModel::ClearAndSelect |
                    ((grid_.Options() & platform::dgRowSelect) ? QItemSelectionModel::Rows
                                                               : QItemSelectionModel::NoUpdate));
        }
        view_->scrollTo(index);
        emit model_->headerDataChanged(Qt::Vertical, 0, model_->rowCount() - 1);
    }
    ShowEditor();
}

void GridPeer::ShowEditor() {
    const QModelIndex current = view_->currentIndex();
    if (!grid_.EditorOpen() || !current.isValid()) {
        editor_->hide();
        ShowEllipsis();
        return;
    }
    editor_->setGeometry(view_->visualRect(current));
    // The framework places what is typed into the field's mask; the Qt input mask shows the
    // same mask (blanks, literals) and keeps the editor's look of a masked field.
    const platform::Field* field = grid_.SelectedField();
    const std::string mask = field != nullptr ? field->EditMask() : std::string();
    if (mask != shownMask_) {
        const platform::EditMask parsed(mask);
        editor_->setInputMask(parsed.Empty() ? QString() : ToQt(parsed.QtInputMask()));
        shownMask_ = mask;
    }
    editor_->setAlignment(model_->data(current, Qt::TextAlignmentRole).value<Qt::Alignment>());
    editor_->setToolTip(InputHint());
    const QString text = ToQt(grid_.EditorText());
    if (editor_->displayText() != text) editor_->setText(text);
    // A refused text is shown selected: what is typed next replaces it.
    if (grid_.EditorSelected())
        editor_->selectAll();
    else if (editor_->hasSelectedText())
        editor_->deselect();
    editor_->show();
    ShowEllipsis();
}

void GridPeer::ShowEllipsis() {
    const QModelIndex current = view_->currentIndex();
    const bool show =
        current.isValid() && grid_.DataSet() != nullptr && grid_.SelectedField() != nullptr &&
        grid_.ButtonStyle(grid_.SelectedIndex()) == platform::ColumnButtonStyle::Ellipsis;
    if (!show) {
        ellipsis_->hide();
        return;
    }
    const QRect cell = view_->visualRect(current);
    ellipsis_->setGeometry(cell.right() - cell.height() + 1, cell.top(), cell.height(),
                           cell.height());
    ellipsis_->show();
    ellipsis_->raise();
}

bool GridPeer::KeyPressed(QKeyEvent* event) {
    const int key = event->key();
    const auto modifiers = event->modifiers();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && (modifiers & Qt::ControlModifier)) {
        grid_.UserEditButtonClick();
        return true;
    }
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            grid_.UserKeyPress(13);
            return true;
        case Qt::Key_Escape:
            grid_.UserKey(platform::GridKey::Escape);
            return true;
        case Qt::Key_Backspace:
            grid_.UserKeyPress(8);
            return true;
        case Qt::Key_F2:
            grid_.UserKey(platform::GridKey::F2);
            return true;
        case Qt::Key_Insert:
            grid_.UserKey(platform::GridKey::Insert);
            return true;
        case Qt::Key_Up:
            grid_.UserKey(platform::GridKey::Up);
            return true;
        case Qt::Key_Down:
            grid_.UserKey(platform::GridKey::Down);
            return true;
        case Qt::Key_Delete:
            if ((modifiers & Qt::ControlModifier) == 0) break;
            grid_.UserKey(platform::GridKey::CtrlDelete);
            return true;
        default:
            break;
    }
    // Left, right, page and home keys move the Qt current cell, which selects the framework's.
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint() ||
        (modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    // Every typed character goes through the grid's key press first (its handlers may drop it),
    // then into the cell editor through the field's mask.
    for (const uint code : text.toUcs4()) grid_.UserKeyPress(static_cast<char32_t>(code));
    return true;
}

}  // namespace host

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
    editor_->setFrame(false);
    editor_->hide();
    ellipsis_->setObjectName(ToQt(grid.Name()) + "Ellipsis");
    ellipsis_->setText(QStringLiteral("…"));
    ellipsis_->setToolTip(QStringLiteral("Pesquisar"));
    ellipsis_->setFocusPolicy(Qt::NoFocus);
    ellipsis_->hide();
    QObject::connect(ellipsis_, &QToolButton::clicked, ellipsis_,
                     [this] { grid_.UserEditButtonClick(); });

    model_->onScrolled = [this] { ShowCurrent(); };
    QObject::connect(model_, &QAbstractItemModel::modelReset, view_, [this] { SizeColumns(); });
    QObject::connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, view_,
                     [this](const QModelIndex& current) {
                         if (shell_.Syncing() || !current.isValid()) return;
                         grid_.UserSelectCell(current.row(), current.column());
                         ShowCurrent();
                     });
    QObject::connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, view_,
                     [this] { ShowEditor(); });
    QObject::connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, view_,
                     [this] { ShowEditor(); });
}

GridPeer::~GridPeer() {
    delete filter_;
}

void GridPeer::UpdateAll() {
    Peer::UpdateAll();
    ApplyOptions();
    model_->Reset();
}

void GridPeer::Update(platform::Property property) {
    using platform::Property;
    switch (property) {
        case Property::DataSource:
            model_->Relink();
            break;
        case Property::GridData:
        case Property::GridColumns:
            model_->Reset();
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

bool GridPeer::WantsTab(bool backward) const {
    // With tabs on, Tab moves through the cells; from the last one it leaves the grid.
    const auto options = grid_.Options();
    return !backward && (options & platform::dgTabs) && (options & platform::dgEditing) &&
           grid_.DataSet() != nullptr && grid_.SelectedIndex() + 1 < grid_.ColumnCount();
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
    const int charWidth = view_->fontMetrics().averageCharWidth();
    for (int c = 0; c < model_->columnCount(); ++c) {
        const platform::Field* field = grid_.ColumnField(c);
        if (field == nullptr) continue;
        const int title = view_->fontMetrics().horizontalAdvance(ToQt(field->DisplayLabel()));
        view_->setColumnWidth(c, std::max(field->DisplayWidth() * charWidth, title) + 12);
    }
}

void GridPeer::ShowCurrent() {
    const platform::ClientDataSet* set = grid_.DataSet();
    Shell::SyncGuard guard(shell_);
    if (set == nullptr || set->VisibleRowIndex() < 0 || model_->columnCount() == 0) {
        view_->selectionModel()->clearCurrentIndex();
        view_->clearSelection();
    } else {
        const int column = std::clamp(grid_.SelectedIndex(), 0, model_->columnCount() - 1);
        const QModelIndex index = model_->index(set->VisibleRowIndex(), column);
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

std::string GridPeer::CurrentMask() const {
    const platform::Field* field = grid_.SelectedField();
    return field != nullptr ? field->EditMask() : std::string();
}

void GridPeer::ShowEditor() {
    const QModelIndex current = view_->currentIndex();
    if (!grid_.EditorOpen() || !current.isValid()) {
        editor_->hide();
        editorShown_ = false;
        ShowEllipsis();
        return;
    }
    editor_->setGeometry(view_->visualRect(current));
    if (!feeding_) {
        const platform::EditMask mask(CurrentMask());
        if (!editorShown_) {
            editor_->setInputMask(mask.Empty() ? QString() : ToQt(mask.QtInputMask()));
            editor_->setAlignment(
                model_->data(current, Qt::TextAlignmentRole).value<Qt::Alignment>());
        }
        if (mask.Empty()) {
            editor_->setText(ToQt(grid_.EditorText()));
        } else if (!editorShown_) {
            editor_->setText(ToQt(grid_.EditorText()));
            editor_->setCursorPosition(0);
        }
    }
    editorShown_ = true;
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
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ControlModifier)) {
        grid_.UserEditButtonClick();
        return true;
    }
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            TypeKey(13, event);
            return true;
        case Qt::Key_Tab:
            TypeKey(9, event);
            return true;
        case Qt::Key_Escape:
            if (!grid_.EditorOpen()) return false;
            TypeKey(27, event);
            return true;
        case Qt::Key_Backspace:
            TypeKey(8, event);
            return true;
        default:
            break;
    }
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint() ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    for (const uint code : text.toUcs4()) TypeKey(static_cast<char32_t>(code), event);
    return true;
}

void GridPeer::TypeKey(char32_t key, QKeyEvent* event) {
    const platform::EditMask mask(CurrentMask());
    if (mask.Empty() || !grid_.EditorOpen() || key == 27) {
        if (!mask.Empty() && grid_.EditorOpen() && (key == 13 || key == 9)) {
            // Commit the masked text (literals included) the editor shows.
            grid_.UserSetEditorText(mask.TextFromDisplay(FromQt(editor_->displayText())));
        }
        const bool opening = !grid_.EditorOpen();
        grid_.UserKeyPress(key);
        if (opening && grid_.EditorOpen() && !mask.Empty()) {
            // The first character opened a masked editor: place it into the mask.
            feeding_ = true;
            editor_->setInputMask(ToQt(mask.QtInputMask()));
            editor_->setText(QString());
            editor_->setCursorPosition(0);
            QKeyEvent copy(QEvent::KeyPress, event->key(), event->modifiers(), event->text());
            QCoreApplication::sendEvent(editor_, &copy);
            grid_.UserSetEditorText(mask.TextFromDisplay(FromQt(editor_->displayText())));
            feeding_ = false;
        }
        return;
    }
    // A masked editor is open: the grid's key press decides first, the Qt mask places it.
    const std::string before = grid_.EditorText();
    grid_.UserKeyPress(key);
    if (!grid_.EditorOpen() || (grid_.EditorText() == before && key != 8)) return;
    feeding_ = true;
    QKeyEvent copy(QEvent::KeyPress, event->key(), event->modifiers(), event->text());
    QCoreApplication::sendEvent(editor_, &copy);
    grid_.UserSetEditorText(mask.TextFromDisplay(FromQt(editor_->displayText())));
    feeding_ = false;
}

}  // namespace host

// Message boxes and the look-up dialog in the shell's look (Portuguese buttons).
#include "host/Dialogs.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTranslator>
#include <QVBoxLayout>

namespace host {

QString ApplicationTitle() {
    return QStringLiteral("Saldo Comercial");
}

bool InstallQtTranslation() {
    // Owned by the application, which removes it when it goes.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void PrepareErrorBox(QMessageBox& box, const QString& text) {
    box.setObjectName("MessageBoxErro");
    box.setIcon(QMessageBox::Critical);
    box.setWindowTitle(ApplicationTitle());
    box.setText(text);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
}

void ShowError(QWidget* parent, const QString& text) {
    QMessageBox box(parent);
    PrepareErrorBox(box, text);
    box.exec();
}

bool AskYesNo(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), text, QMessageBox::NoButton, parent);
    box.setObjectName("MessageBoxPergunta");
    QPushButton* yes = box.addButton(QStringLiteral("&Sim"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Não"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

PickListDialog::PickListDialog(QWidget* parent, const QString& title, const QStringList& captions,
                               const std::vector<QStringList>& rows, int current)
    : QDialog(parent),
      model_(new QStandardItemModel(static_cast<int>(rows.size()), captions.size(), this)),
      proxy_(new QSortFilterProxyModel(this)),
      view_(new QTableView(this)),
      filter_(new QLineEdit(this)) {
    setObjectName("PickListDialog");
    setWindowTitle(title);
    setModal(true);
    model_->setHorizontalHeaderLabels(captions);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < captions.size() && c < rows[static_cast<size_t>(r)].size(); ++c) {
            auto* item = new QStandardItem(rows[static_cast<size_t>(r)][c]);
            item->setEditable(false);
            model_->setItem(r, c, item);
        }
    }
    proxy_->setSourceModel(model_);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);

    view_->setModel(proxy_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->setAlternatingRowColors(true);
    view_->setAccessibleName(QStringLiteral("Lista"));
    view_->resizeColumnsToContents();
    view_->installEventFilter(this);

    filter_->setPlaceholderText(QStringLiteral("Digite para filtrar"));
    filter_->setAccessibleName(QStringLiteral("Filtro"));
    filter_->installEventFilter(this);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        proxy_->setFilterFixedString(text);
        SelectFirstVisible();
    });
    connect(view_, &QTableView::doubleClicked, this, [this] { Pick(); });

    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("&Filtrar:"), this);
    label->setBuddy(filter_);
    layout->addWidget(label);
    layout->addWidget(filter_);
    layout->addWidget(view_);
    FitAndRestore();

    if (current >= 0 && current < static_cast<int>(rows.size())) {
        view_->selectRow(proxy_->mapFromSource(model_->index(current, 0)).row());
    } else {
        SelectFirstVisible();
    }
    filter_->setFocus();
}

QString PickListDialog::SettingsKey() const {
    return "Pesquisa/" + windowTitle();
}

void PickListDialog::FitAndRestore() {
    // Columns as wide as their contents, or as the user left them last time for this list;
    // the dialog wide enough for them all, within the display.
    QSettings settings;
    const QStringList widths = settings.value(SettingsKey() + "/colunas").toStringList();
    if (widths.size() == model_->columnCount()) {
        for (int c = 0; c < widths.size(); ++c) {
            const int width = widths[c].toInt();
            if (width > 0) view_->setColumnWidth(c, width);
        }
    }
    const QScreen* screen = this->screen();
    const QSize display =
        screen != nullptr ? screen->availableGeometry().size() * 9 / 10 : QSize(1024, 700);
    QSize size = settings.value(SettingsKey() + "/tamanho").toSize();
    if (!size.isValid()) {
        const int columns = view_->horizontalHeader()->length() + view_->frameWidth() * 2 +
                            view_->verticalScrollBar()->sizeHint().width();
        size = QSize(columns + 2 * layout()->contentsMargins().left() + 8, 420);
    }
    resize(size.expandedTo(QSize(420, 280)).boundedTo(display));
}

void PickListDialog::done(int result) {
    QSettings settings;
    settings.setValue(SettingsKey() + "/tamanho", size());
    QStringList widths;
    for (int c = 0; c < model_->columnCount(); ++c)
        widths << QString::number(view_->columnWidth(c));
    settings.setValue(SettingsKey() + "/colunas", widths);
    QDialog::done(result);
}

void PickListDialog::SelectFirstVisible() {
    if (proxy_->rowCount() > 0) view_->selectRow(0);
}

void PickListDialog::Pick() {
    const QModelIndex index = view_->currentIndex();
    if (!index.isValid()) return;
    picked_ = proxy_->mapToSource(index).row();
    accept();
}

bool PickListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Pick();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (watched == filter_) {
                // The filter line keeps the focus; the arrows move through the list.
                QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
                QCoreApplication::sendEvent(view_, &copy);
                return true;
            }
            break;
        default:
            // Typing while the list has the focus goes on into the filter.
            if (watched == view_ && !key->text().isEmpty() && key->text().at(0).isPrint()) {
                filter_->setFocus();
                filter_->insert(key->text());
                return true;
            }
            break;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace host

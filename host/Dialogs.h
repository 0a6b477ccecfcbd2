// The shell's modal dialogs: error box, yes/no question, and the look-up (pick list) dialog.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

class QLineEdit;
class QMessageBox;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace host {

// The title of every message box the shell shows.
QString ApplicationTitle();

// Puts Qt's own texts (file and print dialogs, standard buttons, edit menus) in Brazilian
// Portuguese from the system's Qt translation catalogue; false when it is not installed.
bool InstallQtTranslation();

// Makes `box` the shell's error box: critical icon, the text, one "OK" button.
void PrepareErrorBox(QMessageBox& box, const QString& text);
// Shows the error box; returns when the user closes it.
void ShowError(QWidget* parent, const QString& text);

// A question with "Sim" and "Não" ("Não" is the default, so Enter never deletes by accident).
// Returns true for "Sim".
bool AskYesNo(QWidget* parent, const QString& text);

// The look-up list: column captions over rows of text, a filter line that narrows the rows to
// those where any visible column contains the typed text (letter case ignored). Enter or a
// double click picks the current row, Escape cancels. Its size and column widths are
// remembered per title; the first time it is as wide as its columns' contents.
class PickListDialog : public QDialog {
    Q_OBJECT
  public:
    PickListDialog(QWidget* parent, const QString& title, const QStringList& captions,
                   const std::vector<QStringList>& rows, int current);
    // The picked row as an index into the rows given, or -1 when nothing was picked.
    int Picked() const { return picked_; }
    QTableView* View() const { return view_; }
    QLineEdit* FilterEdit() const { return filter_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

  private:
    QString SettingsKey() const;
    void FitAndRestore();
    void Pick();
    void SelectFirstVisible();

    QStandardItemModel* model_;
    QSortFilterProxyModel* proxy_;
    QTableView* view_;
    QLineEdit* filter_;
    int picked_ = -1;
};

}  // namespace host

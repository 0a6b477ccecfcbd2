// Peer of the data grid: a QTableView over a lazy model of the grid's record set, with the
// framework's cell editor drawn in place and the ellipsis button of the current column.
#pragma once

#include <QTableView>

#include "host/Peer.h"

class QLineEdit;
class QToolButton;

namespace platform {
class DBGrid;
}

namespace host {

class GridModel;

class GridPeer : public Peer {
  public:
    GridPeer(Shell& shell, platform::DBGrid& grid, QWidget* parent);
    ~GridPeer() override;

    void Update(platform::Property property) override;
    void UpdateAll() override;
    QString InputHint() const override;
    void Refused() override { ShowEditor(); }

    // Rows whose texts size the columns: enough for what a window shows, cheap for a
    // million-row set.
    static constexpr int kSampledRows = 60;
    // A name column is at least this many characters wide, or its display width if less.
    static constexpr int kNameChars = 24;

    QTableView* View() const { return view_; }
    GridModel* Model() const { return model_; }
    QLineEdit* Editor() const { return editor_; }
    QToolButton* EllipsisButton() const { return ellipsis_; }

  private:
    class KeyFilter;
    // Every typed character goes to the grid's key-press input method first.
    bool KeyPressed(QKeyEvent* event);
    void ShowCurrent();
    void ShowEditor();
    void ShowEllipsis();
    void ApplyOptions();
    void SizeColumns();

    platform::DBGrid& grid_;
    QTableView* view_;
    GridModel* model_;
    QLineEdit* editor_;
    QToolButton* ellipsis_;
    KeyFilter* filter_;
    std::string shownMask_;
};

}  // namespace host

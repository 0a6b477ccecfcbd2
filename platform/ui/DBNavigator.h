// DBNavigator: the record buttons (first, prior, next, last, insert, delete, edit, post,
// cancel) for the set bound to its data source; every button is off while the source is.
#pragma once

#include <memory>

#include "platform/ui/Control.h"

namespace platform {

class DataSource;

enum class NavigateButton { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel };

class DBNavigator : public WinControl {
  public:
    DBNavigator();
    ~DBNavigator() override;

    DataSource* GetDataSource() const;
    void SetDataSource(DataSource* source);

    // Delete asks "Excluir registro?" first when set (the default).
    bool ConfirmDelete() const { return confirmDelete_; }
    void SetConfirmDelete(bool confirm) { confirmDelete_ = confirm; }

    // Whether the button is usable now: never while the link is off; moves away from the
    // ends; changes only on a writable set; post and cancel only while editing.
    bool ButtonEnabled(NavigateButton button) const;

    // Input method: the user clicks a button; a disabled one does nothing.
    void Click(NavigateButton button);

  private:
    class Link;
    std::unique_ptr<Link> link_;
    bool confirmDelete_ = true;
};

}  // namespace platform

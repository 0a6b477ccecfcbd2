// DBNavigator: moves its data link's record set to the first, prior, next or last row.
#pragma once

#include "platform/data/DataLink.h"
#include "platform/ui/Control.h"

namespace platform {

class DataSource;

enum class NavigateButton { First, Prior, Next, Last };

class DBNavigator : public Control {
  public:
    DBNavigator() = default;
    ~DBNavigator() override;

    DataSource* GetDataSource() const { return link_.GetDataSource(); }
    void SetDataSource(DataSource* source);

    // Input method: the user clicks one of the buttons; nothing happens while the link is
    // inactive or the navigator disabled or hidden.
    void Click(NavigateButton button);

  private:
    DataLink link_;
};

}  // namespace platform

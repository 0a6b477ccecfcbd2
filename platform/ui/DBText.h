// DBText: shows one field of the current row of the set bound to its data source; empty
// while the source is switched off or the field is unknown.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Control.h"

namespace platform {

class DataSource;

class DBText : public Control {
  public:
    DBText();
    ~DBText() override;

    DataSource* GetDataSource() const;
    void SetDataSource(DataSource* source);
    const std::string& DataField() const { return dataField_; }
    void SetDataField(std::string field);

    // The field's display text.
    std::string Text() const;

  private:
    class Link;
    std::unique_ptr<Link> link_;
    std::string dataField_;
};

}  // namespace platform

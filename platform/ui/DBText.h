// DBText: shows one field of its data link's current row; nothing while the link is inactive.
#pragma once

#include <string>

#include "platform/data/DataLink.h"
#include "platform/ui/Control.h"

namespace platform {

class DataSource;

class DBText : public Control {
  public:
    DBText();
    ~DBText() override;

    DataSource* GetDataSource() const { return link_.GetDataSource(); }
    void SetDataSource(DataSource* source);
    const std::string& DataField() const { return dataField_; }
    void SetDataField(std::string field);
    // The field's display text, or "" with no active link or no such field.
    std::string Text() const;

  private:
    class Link : public DataLink {
      public:
        explicit Link(DBText& owner) : owner_(owner) {}
        void ActiveChanged() override { owner_.Changed(Property::GridData); }
        void DataSetChanged() override { owner_.Changed(Property::GridData); }
        void DataSetScrolled() override { owner_.Changed(Property::GridData); }
        void RecordChanged(Field*) override { owner_.Changed(Property::GridData); }

      private:
        DBText& owner_;
    };
    friend class Link;
    Link link_;
    std::string dataField_;
};

}  // namespace platform

// The data-aware text: follows its field's display text.
#include "platform/ui/DBText.h"

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSource.h"

namespace platform {

class DBText::Link : public DataLink {
  public:
    explicit Link(DBText& text) : text_(text) {}
    void ActiveChanged() override { Touch(); }
    void DataSetChanged() override { Touch(); }
    void DataSetScrolled() override { Touch(); }
    void RecordChanged(Field*) override { Touch(); }

  private:
    void Touch() { text_.Changed(Property::Text); }
    DBText& text_;
};

DBText::DBText() : link_(std::make_unique<Link>(*this)) {}

DBText::~DBText() = default;

DataSource* DBText::GetDataSource() const {
    return link_->GetDataSource();
}

void DBText::SetDataSource(DataSource* source) {
    if (source == link_->GetDataSource()) return;
    link_->SetDataSource(source);
    Changed(Property::DataSource);
}

void DBText::SetDataField(std::string field) {
    if (field == dataField_) return;
    dataField_ = std::move(field);
    Changed(Property::DataField);
}

std::string DBText::Text() const {
    if (!link_->Active()) return "";
    const Field* field = link_->DataSet()->FindField(dataField_);
    return field != nullptr ? field->DisplayText() : "";
}

}  // namespace platform

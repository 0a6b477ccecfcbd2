// A data-aware label.
#include "platform/ui/DBText.h"

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"

namespace platform {

DBText::DBText() : link_(*this) {}

DBText::~DBText() {
    link_.SetDataSource(nullptr);
}

void DBText::SetDataSource(DataSource* source) {
    link_.SetDataSource(source);
    Changed(Property::DataSource);
}

void DBText::SetDataField(std::string field) {
    dataField_ = std::move(field);
    Changed(Property::DataField);
}

std::string DBText::Text() const {
    if (!link_.Active()) return {};
    const auto* field = link_.DataSet()->FindField(dataField_);
    return field ? field->DisplayText() : std::string();
}

}  // namespace platform

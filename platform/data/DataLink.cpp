// DataLink: registration with a data source and the link's active state.
#include "platform/data/DataLink.h"

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"

namespace platform {

DataLink::~DataLink() {
    SetDataSource(nullptr);
}

void DataLink::SetDataSource(DataSource* source) {
    if (source == source_) return;
    if (source_ != nullptr) source_->RemoveLink(this);
    source_ = source;
    if (source_ != nullptr) source_->AddLink(this);
    ActiveChanged();
}

ClientDataSet* DataLink::DataSet() const {
    return source_ != nullptr ? source_->DataSet() : nullptr;
}

bool DataLink::Active() const {
    return source_ != nullptr && source_->Enabled() && source_->DataSet() != nullptr &&
           source_->DataSet()->Active();
}

}  // namespace platform

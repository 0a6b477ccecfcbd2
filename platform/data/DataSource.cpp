// DataSource: passes a record set's notifications to its links and its own events.
#include "platform/data/DataSource.h"

#include <algorithm>

#include "platform/data/DataLink.h"

namespace platform {

// No events of its own from the destructor: their handlers may already be gone.
DataSource::~DataSource() {
    if (dataSet_ != nullptr) std::erase(dataSet_->sources_, this);
    const std::vector<DataLink*> links(links_);
    links_.clear();
    for (DataLink* link : links) {
        link->source_ = nullptr;
        link->ActiveChanged();
    }
}

void DataSource::SetDataSet(ClientDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_ != nullptr) std::erase(dataSet_->sources_, this);
    dataSet_ = dataSet;
    if (dataSet_ != nullptr) dataSet_->sources_.push_back(this);
    // Copies: a handler may register or remove links while being told.
    for (DataLink* link : std::vector<DataLink*>(links_)) link->ActiveChanged();
    UpdateState();
    if (enabled_ && OnDataChange) OnDataChange(*this, nullptr);
}

void DataSource::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    for (DataLink* link : std::vector<DataLink*>(links_)) link->ActiveChanged();
    UpdateState();
}

DataSetState DataSource::State() const {
    if (!enabled_ || dataSet_ == nullptr) return DataSetState::Inactive;
    return dataSet_->State();
}

void DataSource::UpdateRecord() {
    if (!enabled_) return;
    for (DataLink* link : std::vector<DataLink*>(links_)) link->UpdateData();
}

void DataSource::AddLink(DataLink* link) {
    links_.push_back(link);
}

void DataSource::RemoveLink(DataLink* link) {
    std::erase(links_, link);
}

void DataSource::UpdateState() {
    const DataSetState now = State();
    if (now == lastState_) return;
    lastState_ = now;
    if (OnStateChange) OnStateChange(*this);
}

void DataSource::Notify(DataEvent event, Field* field) {
    if (!enabled_) return;
    const std::vector<DataLink*> links(links_);
    switch (event) {
        case DataEvent::ActiveChanged:
            for (DataLink* link : links) link->ActiveChanged();
            UpdateState();
            if (OnDataChange) OnDataChange(*this, nullptr);
            break;
        case DataEvent::StateChanged:
            for (DataLink* link : links) link->StateChanged();
            UpdateState();
            break;
        case DataEvent::DataSetChanged:
            for (DataLink* link : links) link->DataSetChanged();
            if (OnDataChange) OnDataChange(*this, nullptr);
            break;
        case DataEvent::Scrolled:
            for (DataLink* link : links) link->DataSetScrolled();
            if (OnDataChange) OnDataChange(*this, nullptr);
            break;
        case DataEvent::RecordChanged:
            for (DataLink* link : links) link->RecordChanged(field);
            if (OnDataChange) OnDataChange(*this, field);
            break;
        case DataEvent::LayoutChanged:
            for (DataLink* link : links) link->LayoutChanged();
            break;
    }
}

void DataSource::DataSetDestroyed() {
    dataSet_ = nullptr;
    for (DataLink* link : std::vector<DataLink*>(links_)) link->ActiveChanged();
    UpdateState();
}

}  // namespace platform

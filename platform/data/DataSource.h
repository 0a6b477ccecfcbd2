// The data link component: binds controls to one record set and switches them on and off.
#pragma once

#include <functional>
#include <vector>

#include "platform/data/ClientDataSet.h"

namespace platform {

class DataLink;
class Field;

class DataSource {
  public:
    DataSource() = default;
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;
    ~DataSource();

    ClientDataSet* DataSet() const { return dataSet_; }
    // Binds the set (nullptr unbinds). Links see ActiveChanged and a new data set; the
    // state-change event fires when State() changes.
    void SetDataSet(ClientDataSet* dataSet);

    // A switched-off source passes nothing on: its links are inactive and show nothing.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // The bound set's state; Inactive when switched off or with no open set bound.
    DataSetState State() const;

    // Fired when State() changes, with this source as the sender.
    std::function<void(DataSource&)> OnStateChange;
    // Fired when the data shown changes: cursor moved, rows or a value changed. field is
    // the changed field, or nullptr for a whole-row or whole-set change.
    std::function<void(DataSource&, Field*)> OnDataChange;

    const std::vector<DataLink*>& Links() const { return links_; }
    // Asks every link to write pending control contents into the fields (DataLink::UpdateData);
    // the bound set calls it before it posts. Nothing happens while switched off.
    void UpdateRecord();

  private:
    friend class DataLink;
    friend class ClientDataSet;
    void AddLink(DataLink* link);
    void RemoveLink(DataLink* link);
    // Called by the bound set.
    void Notify(DataEvent event, Field* field);
    void DataSetDestroyed();
    void UpdateState();

    ClientDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    DataSetState lastState_ = DataSetState::Inactive;
    std::vector<DataLink*> links_;
};

}  // namespace platform

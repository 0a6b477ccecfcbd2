// The observer through which a control follows a record set: it registers with a
// DataSource and receives the set's notifications while the source is enabled.
#pragma once

namespace platform {

class ClientDataSet;
class DataSource;
class Field;

class DataLink {
  public:
    DataLink() = default;
    DataLink(const DataLink&) = delete;
    DataLink& operator=(const DataLink&) = delete;
    virtual ~DataLink();

    // Registers with the source (and leaves the previous one); nullptr detaches.
    void SetDataSource(DataSource* source);
    DataSource* GetDataSource() const { return source_; }
    // The source's bound set, or nullptr.
    ClientDataSet* DataSet() const;
    // The source is enabled, a set is bound and the set is open. A control whose link is
    // not active shows nothing.
    bool Active() const;

    // Active() may have changed (source enabled or disabled, set bound, opened or closed).
    virtual void ActiveChanged() {}
    // The set's state changed (browse, edit, insert).
    virtual void StateChanged() {}
    // The rows changed wholesale: load, filter, insert, delete, cancel, post.
    virtual void DataSetChanged() {}
    // The cursor moved to another row.
    virtual void DataSetScrolled() {}
    // A value of the current row changed; field is nullptr when the whole row did.
    virtual void RecordChanged(Field* field) { (void)field; }
    // A field's label, width or visibility changed (grid columns follow them).
    virtual void LayoutChanged() {}
    // Asked by Field::FocusControl: select the first place showing the field and take the
    // input focus. Return true when done, so that no other control is asked.
    virtual bool FocusField(Field& field) {
        (void)field;
        return false;
    }
    // Asked before the set posts (or leaves edit or insert): write what the control holds
    // and has not written yet (a grid's open cell editor). What it raises aborts the post.
    virtual void UpdateData() {}

  private:
    friend class DataSource;
    DataSource* source_ = nullptr;
};

}  // namespace platform

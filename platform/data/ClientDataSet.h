// The in-memory record set: a fixed field list, rows loaded from a record packet, a cursor
// over the rows visible under its filter, editing with events, and a change log that it
// hands over as a change packet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/Field.h"
#include "platform/data/FieldDef.h"
#include "platform/data/PacketRows.h"

namespace platform {

class DataSource;
namespace detail {
struct DataSetStore;
}

enum class DataSetState { Inactive, Browse, Edit, Insert };

// What a set tells its data sources (and they their links).
enum class DataEvent {
    ActiveChanged,
    StateChanged,
    DataSetChanged,
    Scrolled,
    RecordChanged,
    LayoutChanged
};

class ClientDataSet {
  public:
    explicit ClientDataSet(std::string name = {});
    ClientDataSet(const ClientDataSet&) = delete;
    ClientDataSet& operator=(const ClientDataSet&) = delete;
    virtual ~ClientDataSet();

    const std::string& Name() const { return name_; }

    // Field list. Fields are added while the set is closed (else DataSetError) and keep
    // their place; names are unique (compared without letter case).
    Field& AddField(std::string name, FieldType type, int size = 0);
    Field& AddField(const FieldDef& def) { return AddField(def.Name, def.Type, def.Size); }
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    // Raises DataSetError for an index out of range.
    Field& Fields(int index) const;
    // Letter case is ignored. FieldByName raises DataSetError "Campo 'X' não encontrado.".
    Field& FieldByName(std::string_view name) const;
    Field* FindField(std::string_view name) const;
    std::vector<FieldDef> FieldDefs() const;

    // Opening and closing. CreateDataSet (or Open) opens the set empty; Close drops the
    // rows, the log and any pending edit.
    void CreateDataSet();
    void Open() { CreateDataSet(); }
    void Close();
    bool Active() const { return state_ != DataSetState::Inactive; }
    DataSetState State() const { return state_; }
    // Edit or insert.
    bool Editing() const { return state_ == DataSetState::Edit || state_ == DataSetState::Insert; }
    // No row visible under the filter and no row being inserted (true when closed).
    bool IsEmpty() const;

    // A read-only set (query results) refuses Insert, Append, Edit, Delete and field
    // writes with DataSetError; AddRow still fills it. Switching it on an open set tells the
    // controls showing it, as a state change does (without changing State()), so that they
    // offer what it now allows; a row already in edit or insert can still be posted or
    // cancelled.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // Record packets. Loading replaces the whole content (a pending edit is dropped), opens
    // the set, empties the change log and puts the cursor on the first visible row. A packet
    // whose field list differs from the set's, or with a bad row, is refused with
    // DataSetError and the set keeps everything it had. LoadFromText parses the JSON text
    // straight into the rows.
    void SetData(const nlohmann::json& packet);
    void LoadFromText(std::string_view jsonText);
    // Rows already read for this set's field list (refused with DataSetError, the set
    // untouched, when they were read for other fields).
    void SetData(PacketRows rows);
    // The current rows (live, in order, filter ignored) as a record packet.
    nlohmann::json Data() const;
    // Appends a row by code, outside the change log and the events (query results).
    // Opens a closed set. Raises DataSetError when editing or for values that do not fit.
    void AddRow(const Row& values);
    // Removes every row and empties the log; the set stays open.
    void EmptyDataSet();

    // Cursor over the visible rows. Every move first leaves edit or insert: a changed row
    // is posted (a refused post aborts the move), an unchanged one cancelled.
    void First();
    void Last();
    void Next();   // at the last row: stays, Eof() becomes true
    void Prior();  // at the first row: stays, Bof() becomes true
    bool Bof() const;
    bool Eof() const;
    // Visible rows (under the filter; a row being inserted counts).
    int RecordCount() const;
    // Index of the current row among the visible rows, from 0; -1 when there is none.
    int VisibleRowIndex() const;
    // Raises DataSetError for an index out of range.
    void MoveToVisibleRow(int index);
    // A field of any visible row without moving the cursor, through the field's get-text
    // hook (which reads the fields as if that row were current). For lazy grid models.
    std::string VisibleRowText(int row, const Field& field, bool displayText) const;
    Variant VisibleRowValue(int row, const Field& field) const;

    // Editing; see the operations' comments in ClientDataSet.cpp for the exact order.
    void Insert();  // new row before the current one; OnNewRecord inside
    void Append();  // new row after the last one; OnNewRecord inside
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // A field of the row in edit or insert was assigned (the new-row event's values do
    // not count).
    bool Modified() const { return modified_; }

    // Filter "FIELD = 'text'" (a quote inside the text doubled), exact and case-sensitive;
    // "" for none. Any other expression raises DataSetError and nothing changes. Changing
    // the filter or the switch of an open set first leaves edit or insert as a move does
    // (posting a changed row, dropping an unchanged one; a refused post keeps the old
    // filter), then shows the first visible row.
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string expression);
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool filtered);

    // Change log: one entry per changed row since the last load or merge.
    int ChangeCount() const;
    bool LogChanges() const { return logChanges_; }
    void SetLogChanges(bool logChanges) { logChanges_ = logChanges; }
    // The change packet of the log (changes in the order rows were first changed).
    nlohmann::json Delta() const;
    // Makes the current rows the new baseline and empties the log. Leaves edit or insert
    // first, as a move does.
    void MergeChangeLog();
    // Undoes every logged change (an inserted row disappears, an edited row gets its old
    // values back, a deleted row comes back at its place), drops a pending edit, empties
    // the log and goes to the first visible row.
    void CancelUpdates();

    // Bytes held by the rows, the change log and the indexes.
    std::size_t MemoryUsage() const;

    // Events. A before-post handler refuses the post by raising: the row stays in edit or
    // insert with its values. OnNewRecord runs inside Insert/Append; what it writes does not
    // count as a change; if it raises, the new row is dropped and the error travels on.
    std::function<void(ClientDataSet&)> BeforePost;
    std::function<void(ClientDataSet&)> AfterPost;
    std::function<void(ClientDataSet&)> AfterDelete;
    std::function<void(ClientDataSet&)> OnNewRecord;
    std::function<void(ClientDataSet&)> AfterScroll;

    // The data sources bound to this set (a field's FocusControl asks their links).
    const std::vector<DataSource*>& DataSources() const { return sources_; }

  private:
    friend class Field;
    friend class DataSource;
    friend struct ReadRowScope;

    using RowId = std::uint32_t;
    static constexpr RowId kNoRow = 0xFFFFFFFFu;

    RowId CurrentRow() const;
    RowId VisibleRow(int index) const;
    Variant ReadValue(int field) const;
    void WriteValue(Field& field, const Variant& value);
    void CheckWritable(const Field& field) const;
    void CheckActive() const;
    void CheckCanChange() const;
    void LeaveEditing();
    // Controls bound to the set write what they hold and have not written yet (an open
    // grid editor) before a post.
    void UpdateRecord();
    bool Matches(RowId row) const;
    void RebuildVisible();
    void Refiltered();
    void InsertRow(bool atEnd);
    void ReplaceStore(std::unique_ptr<detail::DataSetStore> store);
    void SetState(DataSetState state);
    void Notify(DataEvent event, Field* field = nullptr);
    void Scrolled();

    std::string name_;
    std::vector<std::unique_ptr<Field>> fields_;
    std::unique_ptr<detail::DataSetStore> store_;
    DataSetState state_ = DataSetState::Inactive;
    bool readOnly_ = false;
    bool logChanges_ = true;
    bool modified_ = false;
    std::string filter_;
    bool filtered_ = false;
    int filterField_ = -1;  // parsed filter: field index and text
    std::string filterText_;
    RowId editRow_ = kNoRow;  // the row in edit or insert
    Row backup_;              // its values before the edit
    std::size_t insertPosition_ = 0;
    RowId insertReturn_ = kNoRow;
    std::vector<DataSource*> sources_;
    // While a grid reads another row through VisibleRowText, the fields read that row.
    mutable RowId readRow_ = kNoRow;
};

}  // namespace platform

// ClientDataSet: states, cursor, editing with events, filter and change log over the
// column store.
#include "platform/data/ClientDataSet.h"

#include <algorithm>
#include <cstring>
#include <nlohmann/json.hpp>

#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Packet.h"
#include "platform/data/detail/DataSetStore.h"
#include "platform/data/detail/PacketLoader.h"
#include "platform/text/TextFunctions.h"

namespace platform {

using detail::DataSetStore;

// While alive, the set's fields read the given row instead of the current one.
struct ReadRowScope {
    ReadRowScope(const ClientDataSet& set, std::uint32_t row) : set_(set), saved_(set.readRow_) {
        set_.readRow_ = row;
    }
    ~ReadRowScope() { set_.readRow_ = saved_; }
    ReadRowScope(const ReadRowScope&) = delete;
    ReadRowScope& operator=(const ReadRowScope&) = delete;

  private:
    const ClientDataSet& set_;
    std::uint32_t saved_;
};

namespace {

// Parses "FIELD = 'text'" (a quote doubled inside the text); false for anything else.
bool ParseFilter(std::string_view e, std::string& field, std::string& text) {
    std::size_t i = 0;
    auto blanks = [&] {
        while (i < e.size() && (e[i] == ' ' || e[i] == '\t')) ++i;
    };
    auto identChar = [](char c, bool first) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
               (!first && c >= '0' && c <= '9');
    };
    blanks();
    const std::size_t start = i;
    while (i < e.size() && identChar(e[i], i == start)) ++i;
    if (i == start) return false;
    field = std::string(e.substr(start, i - start));
    blanks();
    if (i >= e.size() || e[i++] != '=') return false;
    blanks();
    if (i >= e.size() || e[i++] != '\'') return false;
    text.clear();
    for (;;) {
        if (i >= e.size()) return false;
        if (e[i] == '\'') {
            if (i + 1 < e.size() && e[i + 1] == '\'') {
                text += '\'';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        text += e[i++];
    }
    blanks();
    return i == e.size();
}

bool SameName(std::string_view a, std::string_view b) {
    return UpperCase(a) == UpperCase(b);
}

}  // namespace

ClientDataSet::ClientDataSet(std::string name) : name_(std::move(name)) {}

ClientDataSet::~ClientDataSet() {
    for (DataSource* source : std::vector<DataSource*>(sources_)) source->DataSetDestroyed();
}

Field& ClientDataSet::AddField(std::string name, FieldType type, int size) {
    if (Active()) throw DataSetError("Não é possível criar campos num conjunto de dados aberto.");
    if (name.empty()) throw DataSetError("O campo precisa de um nome.");
    if (FindField(name) != nullptr)
        throw DataSetError("O campo '" + name + "' já existe no conjunto de dados.");
    if (IsStringType(type) && size <= 0)
        throw DataSetError("O campo '" + name + "' precisa de um tamanho.");
    if (!IsStringType(type)) size = 0;
    fields_.push_back(
        std::make_unique<Field>(*this, FieldCount(), FieldDef{std::move(name), type, size}));
    return *fields_.back();
}

Field& ClientDataSet::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw DataSetError("Campo de índice " + std::to_string(index) + " não existe.");
    return *fields_[static_cast<std::size_t>(index)];
}

Field* ClientDataSet::FindField(std::string_view name) const {
    for (const auto& f : fields_)
        if (SameName(f->FieldName(), name)) return f.get();
    return nullptr;
}

Field& ClientDataSet::FieldByName(std::string_view name) const {
    Field* f = FindField(name);
    if (f == nullptr) throw DataSetError("Campo '" + std::string(name) + "' não encontrado.");
    return *f;
}

std::vector<FieldDef> ClientDataSet::FieldDefs() const {
    std::vector<FieldDef> defs;
    for (const auto& f : fields_) defs.push_back(f->Def());
    return defs;
}

void ClientDataSet::CreateDataSet() {
    if (fields_.empty()) throw DataSetError("O conjunto de dados não tem campos.");
    ReplaceStore(std::make_unique<DataSetStore>(FieldDefs()));
}

void ClientDataSet::Close() {
    if (!Active()) return;
    store_.reset();
    modified_ = false;
    backup_.clear();
    state_ = DataSetState::Inactive;
    Notify(DataEvent::ActiveChanged);
}

bool ClientDataSet::IsEmpty() const {
    return !Active() || store_->VisibleCount() == 0;
}

void ClientDataSet::ReplaceStore(std::unique_ptr<DataSetStore> store) {
    const bool wasActive = Active();
    const bool wasEditing = Editing();
    store_ = std::move(store);
    state_ = DataSetState::Browse;
    modified_ = false;
    backup_.clear();
    RebuildVisible();
    store_->cursor = store_->VisibleCount() > 0 ? 0 : -1;
    store_->bof = true;
    store_->eof = store_->VisibleCount() == 0;
    if (!wasActive) {
        Notify(DataEvent::ActiveChanged);
        return;
    }
    if (wasEditing) Notify(DataEvent::StateChanged);
    Notify(DataEvent::DataSetChanged);
}

void ClientDataSet::SetData(const nlohmann::json& packet) {
    if (fields_.empty()) throw DataSetError("O conjunto de dados não tem campos.");
    ReplaceStore(detail::LoadPacketJson(packet, FieldDefs()));
}

void ClientDataSet::LoadFromText(std::string_view jsonText) {
    if (fields_.empty()) throw DataSetError("O conjunto de dados não tem campos.");
    ReplaceStore(detail::LoadPacketText(jsonText, FieldDefs()));
}

void ClientDataSet::SetData(PacketRows rows) {
    if (fields_.empty()) throw DataSetError("O conjunto de dados não tem campos.");
    if (rows.Empty() || !(rows.fields_ == FieldDefs()))
        throw DataSetError("As linhas lidas não são deste conjunto de dados.");
    ReplaceStore(std::move(rows.store_));
}

nlohmann::json ClientDataSet::Data() const {
    const std::vector<FieldDef> defs = FieldDefs();
    nlohmann::json rows = nlohmann::json::array();
    if (Active())
        for (RowId row : store_->order) rows.push_back(RowToJson(store_->GetRow(row), defs));
    return {{"fields", FieldListToJson(defs)}, {"rows", std::move(rows)}};
}

void ClientDataSet::AddRow(const Row& values) {
    if (Editing())
        throw DataSetError("Não é possível acrescentar linhas enquanto um registro é editado.");
    if (static_cast<int>(values.size()) != FieldCount())
        throw DataSetError("A linha tem " + std::to_string(values.size()) +
                           " valores; o conjunto de dados tem " + std::to_string(FieldCount()) +
                           " campos.");
    const std::vector<FieldDef> defs = FieldDefs();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const FieldDef& f = defs[i];
        const Variant& v = values[i];
        if (IsNull(v)) continue;
        const auto* text = std::get_if<std::string>(&v);
        if (IsStringType(f.Type) != (text != nullptr))
            throw DataSetError("Valor de tipo errado para o campo '" + f.Name + "'.");
        if (text != nullptr &&
            (!IsValidUtf8(*text) || Utf8Length(*text) > static_cast<std::size_t>(f.Size)))
            throw DataSetError("O texto '" + *text + "' não cabe no campo '" + f.Name +
                               "' (tamanho " + std::to_string(f.Size) + ").");
    }
    if (!Active()) CreateDataSet();
    const RowId row = store_->NewRow();
    store_->SetRow(row, values);
    store_->order.push_back(row);
    if (store_->filterOn && Matches(row)) store_->visible.push_back(row);
    if (store_->cursor < 0 && store_->VisibleCount() > 0) {
        store_->cursor = 0;
        store_->eof = false;
    }
    Notify(DataEvent::DataSetChanged);
}

void ClientDataSet::EmptyDataSet() {
    if (fields_.empty()) throw DataSetError("O conjunto de dados não tem campos.");
    ReplaceStore(std::make_unique<DataSetStore>(FieldDefs()));
}

ClientDataSet::RowId ClientDataSet::CurrentRow() const {
    if (readRow_ != kNoRow) return readRow_;
    if (!Active() || store_->cursor < 0) return kNoRow;
    return store_->View()[static_cast<std::size_t>(store_->cursor)];
}

ClientDataSet::RowId ClientDataSet::VisibleRow(int index) const {
    if (!Active() || index < 0 || index >= store_->VisibleCount())
        throw DataSetError("Linha " + std::to_string(index) + " fora do conjunto de dados.");
    return store_->View()[static_cast<std::size_t>(index)];
}

Variant ClientDataSet::ReadValue(int field) const {
    const RowId row = CurrentRow();
    if (row == kNoRow) return {};
    return store_->Get(row, field);
}

void ClientDataSet::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_) return;
    readOnly_ = readOnly;
    if (Active()) Notify(DataEvent::StateChanged);
}

void ClientDataSet::CheckWritable(const Field& field) const {
    if (readOnly_)
        throw DataSetError("Não é possível alterar o campo '" + field.DisplayLabel() +
                           "': o conjunto de dados é somente leitura.");
    if (!Editing())
        throw DataSetError("Não é possível alterar o campo '" + field.DisplayLabel() +
                           "': o conjunto de dados não está em edição ou inclusão.");
}

void ClientDataSet::WriteValue(Field& field, const Variant& value) {
    CheckWritable(field);
    store_->Set(editRow_, field.Index(), value);
    modified_ = true;
    Notify(DataEvent::RecordChanged, &field);
}

void ClientDataSet::CheckActive() const {
    if (!Active()) throw DataSetError("O conjunto de dados não está aberto.");
}

void ClientDataSet::CheckCanChange() const {
    CheckActive();
    if (readOnly_) throw DataSetError("O conjunto de dados é somente leitura.");
}

// Leaving edit or insert implicitly: a changed row goes through the normal post (which may
// refuse by raising, and then the caller's operation does not happen); an unchanged one is
// dropped.
void ClientDataSet::UpdateRecord() {
    for (DataSource* source : std::vector<DataSource*>(sources_)) source->UpdateRecord();
}

void ClientDataSet::LeaveEditing() {
    if (!Editing()) return;
    UpdateRecord();
    if (modified_)
        Post();
    else
        Cancel();
}

bool ClientDataSet::Matches(RowId row) const {
    if (!store_->filterOn) return true;
    const Field& f = *fields_[static_cast<std::size_t>(filterField_)];
    if (IsStringType(f.DataType())) return store_->Text(row, filterField_) == filterText_;
    ReadRowScope scope(*this, row);
    return f.AsString() == filterText_;
}

void ClientDataSet::RebuildVisible() {
    store_->filterOn = filtered_ && filterField_ >= 0;
    store_->visible.clear();
    if (!store_->filterOn) {
        store_->visible.shrink_to_fit();
        return;
    }
    const auto& order = store_->order;
    if (!IsStringType(fields_[static_cast<std::size_t>(filterField_)]->DataType())) {
        for (RowId row : order)
            if (Matches(row)) store_->visible.push_back(row);
        return;
    }
    // Straight over the column: compare lengths, then bytes; rows loaded with the same
    // text share one copy, so a match at the same place needs no comparison.
    const detail::Column& column = store_->columns[static_cast<std::size_t>(filterField_)];
    const char* arena = column.arena.data();
    const auto length = static_cast<std::uint32_t>(filterText_.size());
    std::uint32_t lastMatch = detail::TextRef::kNullLength;
    for (RowId row : order) {
        const detail::TextRef ref = column.texts[row];
        bool match;
        if (ref.length == detail::TextRef::kNullLength) {
            match = length == 0;
        } else if (ref.length != length) {
            match = false;
        } else if (ref.offset == lastMatch) {
            match = true;
        } else {
            match = std::memcmp(arena + ref.offset, filterText_.data(), length) == 0;
            if (match) lastMatch = ref.offset;
        }
        if (match) store_->visible.push_back(row);
    }
}

void ClientDataSet::SetState(DataSetState state) {
    if (state == state_) return;
    state_ = state;
    Notify(DataEvent::StateChanged);
}

void ClientDataSet::Notify(DataEvent event, Field* field) {
    for (DataSource* source : std::vector<DataSource*>(sources_)) source->Notify(event, field);
}

void ClientDataSet::Scrolled() {
    Notify(DataEvent::Scrolled);
    if (AfterScroll) AfterScroll(*this);
}

void ClientDataSet::First() {
    CheckActive();
    LeaveEditing();
    const int count = store_->VisibleCount();
    store_->cursor = count > 0 ? 0 : -1;
    store_->bof = true;
    store_->eof = count == 0;
    Scrolled();
}

void ClientDataSet::Last() {
    CheckActive();
    LeaveEditing();
    const int count = store_->VisibleCount();
    store_->cursor = count - 1;
    store_->eof = true;
    store_->bof = count == 0;
    Scrolled();
}

void ClientDataSet::Next() {
    CheckActive();
    LeaveEditing();
    if (store_->cursor + 1 < store_->VisibleCount()) {
        ++store_->cursor;
        store_->bof = store_->eof = false;
        Scrolled();
    } else {
        store_->eof = true;
    }
}

void ClientDataSet::Prior() {
    CheckActive();
    LeaveEditing();
    if (store_->cursor > 0) {
        --store_->cursor;
        store_->bof = store_->eof = false;
        Scrolled();
    } else {
        store_->bof = true;
    }
}

bool ClientDataSet::Bof() const {
    return !Active() || store_->bof;
}
bool ClientDataSet::Eof() const {
    return !Active() || store_->eof;
}
int ClientDataSet::RecordCount() const {
    return Active() ? store_->VisibleCount() : 0;
}
int ClientDataSet::VisibleRowIndex() const {
    return Active() ? store_->cursor : -1;
}

void ClientDataSet::MoveToVisibleRow(int index) {
    CheckActive();
    if (index < 0 || index >= store_->VisibleCount())
        throw DataSetError("Linha " + std::to_string(index) + " fora do conjunto de dados.");
    if (index == store_->cursor) return;
    const RowId target = VisibleRow(index);
    LeaveEditing();
    // Leaving an insert or a filtered post may have shifted the rows: find the target again.
    const auto& view = store_->View();
    const auto it = std::find(view.begin(), view.end(), target);
    if (it == view.end()) return;
    store_->cursor = static_cast<int>(it - view.begin());
    store_->bof = store_->eof = false;
    Scrolled();
}

std::string ClientDataSet::VisibleRowText(int row, const Field& field, bool displayText) const {
    ReadRowScope scope(*this, VisibleRow(row));
    return field.GetText(displayText);
}

Variant ClientDataSet::VisibleRowValue(int row, const Field& field) const {
    return store_->Get(VisibleRow(row), field.Index());
}

// Insert: leave edit/insert; a new empty row takes the current position (before the row
// that was current; at the end for Append; the only row of an empty view); state insert;
// OnNewRecord; the row counts as unchanged. If OnNewRecord raises, the row is dropped.
void ClientDataSet::InsertRow(bool atEnd) {
    CheckCanChange();
    LeaveEditing();
    auto& s = *store_;
    const RowId previous = CurrentRow();
    const RowId row = s.NewRow();
    std::size_t position = s.order.size();
    int index = s.VisibleCount();
    if (!atEnd && previous != kNoRow) {
        index = s.cursor;
        position = s.filterOn
                       ? static_cast<std::size_t>(
                             std::find(s.order.begin(), s.order.end(), previous) - s.order.begin())
                       : static_cast<std::size_t>(s.cursor);
    }
    s.order.insert(s.order.begin() + static_cast<std::ptrdiff_t>(position), row);
    if (s.filterOn) s.visible.insert(s.visible.begin() + index, row);
    s.cursor = index;
    s.bof = s.eof = false;
    editRow_ = row;
    insertPosition_ = position;
    insertReturn_ = previous;
    modified_ = false;
    SetState(DataSetState::Insert);
    Notify(DataEvent::DataSetChanged);
    if (OnNewRecord) {
        try {
            OnNewRecord(*this);
        } catch (...) {
            Cancel();
            throw;
        }
    }
    modified_ = false;
}

void ClientDataSet::Insert() {
    InsertRow(false);
}
void ClientDataSet::Append() {
    InsertRow(true);
}

// Edit: nothing in edit or insert (no event); an error on an empty set; else state edit.
void ClientDataSet::Edit() {
    CheckCanChange();
    if (Editing()) return;
    if (IsEmpty()) throw DataSetError("Não há registro para alterar.");
    editRow_ = CurrentRow();
    backup_ = store_->GetRow(editRow_);
    modified_ = false;
    SetState(DataSetState::Edit);
}

// Post: before-post (raising aborts: state and values stay); the row is written into the
// log; state browse; a row that no longer matches the filter leaves the view; after-post.
void ClientDataSet::Post() {
    if (!Editing()) throw DataSetError("Não há registro em edição ou inclusão para gravar.");
    UpdateRecord();
    if (BeforePost) BeforePost(*this);
    auto& s = *store_;
    const RowId row = editRow_;
    if (state_ == DataSetState::Insert) {
        if (logChanges_) {
            s.orderChanges.push_back({true, row, insertPosition_});
            s.logIndex[row] = s.log.size();
            s.log.push_back({row, ChangeKind::Inserted, {}, true});
            ++s.liveChanges;
        }
    } else if (logChanges_ && s.logIndex.find(row) == s.logIndex.end() &&
               s.GetRow(row) != backup_) {
        s.logIndex[row] = s.log.size();
        s.log.push_back({row, ChangeKind::Modified, std::move(backup_), true});
        ++s.liveChanges;
    }
    backup_.clear();
    modified_ = false;
    if (s.filterOn && !Matches(row)) {
        s.visible.erase(s.visible.begin() + s.cursor);
        if (s.cursor >= s.VisibleCount()) s.cursor = s.VisibleCount() - 1;
    }
    SetState(DataSetState::Browse);
    Notify(DataEvent::DataSetChanged);
    if (AfterPost) AfterPost(*this);
}

// Cancel: nothing in browse; else the pending values are dropped (an inserted row
// disappears and the row current before the insert is current again); state browse.
void ClientDataSet::Cancel() {
    if (!Editing()) return;
    auto& s = *store_;
    if (state_ == DataSetState::Insert) {
        const RowId row = editRow_;
        auto at = s.order.begin() + static_cast<std::ptrdiff_t>(insertPosition_);
        if (insertPosition_ >= s.order.size() || *at != row)
            at = std::find(s.order.begin(), s.order.end(), row);
        s.order.erase(at);
        if (s.filterOn) std::erase(s.visible, row);
        if (row + 1 == s.rowCount) s.DropLastRow();
        const auto& view = s.View();
        const auto back = std::find(view.begin(), view.end(), insertReturn_);
        s.cursor = back != view.end() ? static_cast<int>(back - view.begin())
                                      : std::min(s.cursor, s.VisibleCount() - 1);
    } else {
        s.SetRow(editRow_, backup_);
    }
    backup_.clear();
    modified_ = false;
    SetState(DataSetState::Browse);
    Notify(DataEvent::DataSetChanged);
}

// Delete: an error on an empty set; in insert it is cancel (no after-delete); else the
// current row goes (a pending edit is dropped first), state browse, after-delete.
void ClientDataSet::Delete() {
    CheckCanChange();
    if (state_ == DataSetState::Insert) {
        Cancel();
        return;
    }
    if (IsEmpty()) throw DataSetError("Não há registro para excluir.");
    auto& s = *store_;
    if (state_ == DataSetState::Edit) s.SetRow(editRow_, backup_);
    const RowId row = CurrentRow();
    const std::size_t position =
        s.filterOn ? static_cast<std::size_t>(std::find(s.order.begin(), s.order.end(), row) -
                                              s.order.begin())
                   : static_cast<std::size_t>(s.cursor);
    const auto entry = s.logIndex.find(row);
    if (entry != s.logIndex.end()) {
        detail::LogEntry& e = s.log[entry->second];
        if (e.kind == ChangeKind::Inserted) {
            e.live = false;
            s.logIndex.erase(entry);
            --s.liveChanges;
        } else {
            e.kind = ChangeKind::Deleted;
        }
        s.orderChanges.push_back({false, row, position});
    } else if (logChanges_) {
        s.logIndex[row] = s.log.size();
        s.log.push_back({row, ChangeKind::Deleted, s.GetRow(row), true});
        ++s.liveChanges;
        s.orderChanges.push_back({false, row, position});
    }
    s.order.erase(s.order.begin() + static_cast<std::ptrdiff_t>(position));
    if (s.filterOn) s.visible.erase(s.visible.begin() + s.cursor);
    if (s.cursor >= s.VisibleCount()) s.cursor = s.VisibleCount() - 1;
    s.eof = s.VisibleCount() == 0;
    backup_.clear();
    modified_ = false;
    SetState(DataSetState::Browse);
    Notify(DataEvent::DataSetChanged);
    if (AfterDelete) AfterDelete(*this);
}

void ClientDataSet::SetFilter(std::string expression) {
    int field = -1;
    std::string text;
    if (!Trim(expression).empty()) {
        std::string name;
        if (!ParseFilter(expression, name, text))
            throw DataSetError("Filtro não suportado: \"" + expression +
                               "\". Use a forma CAMPO = 'texto'.");
        const Field* f = FindField(name);
        if (f == nullptr) throw DataSetError("Filtro inválido: o campo '" + name + "' não existe.");
        field = f->Index();
    }
    const bool applies = Active() && filtered_;
    if (applies) LeaveEditing();
    filter_ = std::move(expression);
    filterField_ = field;
    filterText_ = std::move(text);
    if (applies) Refiltered();
}

void ClientDataSet::SetFiltered(bool filtered) {
    if (filtered == filtered_) return;
    if (Active()) LeaveEditing();
    filtered_ = filtered;
    if (Active()) Refiltered();
}

void ClientDataSet::Refiltered() {
    RebuildVisible();
    store_->cursor = store_->VisibleCount() > 0 ? 0 : -1;
    store_->bof = true;
    store_->eof = store_->VisibleCount() == 0;
    Notify(DataEvent::DataSetChanged);
}

int ClientDataSet::ChangeCount() const {
    return Active() ? static_cast<int>(store_->liveChanges) : 0;
}

nlohmann::json ClientDataSet::Delta() const {
    const std::vector<FieldDef> defs = FieldDefs();
    nlohmann::json changes = nlohmann::json::array();
    if (Active()) {
        for (const detail::LogEntry& e : store_->log) {
            if (!e.live) continue;
            nlohmann::json item = {{"kind", ChangeKindName(e.kind)}};
            if (e.kind != ChangeKind::Inserted) item["old"] = RowToJson(e.original, defs);
            if (e.kind != ChangeKind::Deleted) {
                // A row being edited again carries its posted values, not the pending ones.
                const bool pending = state_ == DataSetState::Edit && e.row == editRow_;
                item["new"] = RowToJson(pending ? backup_ : store_->GetRow(e.row), defs);
            }
            changes.push_back(std::move(item));
        }
    }
    return {{"fields", FieldListToJson(defs)}, {"changes", std::move(changes)}};
}

void ClientDataSet::MergeChangeLog() {
    if (!Active()) return;
    LeaveEditing();
    auto& s = *store_;
    s.log.clear();
    s.logIndex.clear();
    s.liveChanges = 0;
    s.orderChanges.clear();
}

void ClientDataSet::CancelUpdates() {
    if (!Active()) return;
    Cancel();
    auto& s = *store_;
    for (auto it = s.orderChanges.rbegin(); it != s.orderChanges.rend(); ++it) {
        if (it->inserted) {
            auto at = s.order.begin() +
                      static_cast<std::ptrdiff_t>(std::min(it->position, s.order.size()));
            if (at == s.order.end() || *at != it->row)
                at = std::find(s.order.begin(), s.order.end(), it->row);
            if (at != s.order.end()) s.order.erase(at);
        } else {
            s.order.insert(s.order.begin() +
                               static_cast<std::ptrdiff_t>(std::min(it->position, s.order.size())),
                           it->row);
        }
    }
    for (const detail::LogEntry& e : s.log)
        if (e.live && e.kind != ChangeKind::Inserted) s.SetRow(e.row, e.original);
    s.log.clear();
    s.logIndex.clear();
    s.liveChanges = 0;
    s.orderChanges.clear();
    Refiltered();
}

std::size_t ClientDataSet::MemoryUsage() const {
    std::size_t bytes = sizeof(*this) + fields_.size() * sizeof(Field);
    if (store_) bytes += store_->MemoryUsage();
    return bytes;
}

}  // namespace platform

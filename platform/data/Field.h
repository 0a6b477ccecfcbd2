// A field of a record set: its definition, its display properties and hooks, and the
// value of the set's current row read and written as text, double or date.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/data/FieldDef.h"
#include "platform/text/DateTime.h"

namespace platform {

class ClientDataSet;

class Field {
  public:
    Field(ClientDataSet& owner, int index, FieldDef def);
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    ClientDataSet& DataSet() const { return *owner_; }
    const std::string& FieldName() const { return def_.Name; }
    FieldType DataType() const { return def_.Type; }
    // Position in the set's field list, from 0.
    int Index() const { return index_; }
    // Characters for string fields, 0 for the others.
    int Size() const { return def_.Size; }
    const FieldDef& Def() const { return def_; }

    // The column title; the field name until set.
    const std::string& DisplayLabel() const;
    void SetDisplayLabel(std::string label);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Characters; by default the size of a string field, 10 for a date, 15 for a double.
    int DisplayWidth() const;
    void SetDisplayWidth(int width);
    const std::string& EditMask() const { return editMask_; }
    // Raises Error for a malformed mask (the field keeps its mask).
    void SetEditMask(std::string mask);
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(std::string format) { displayFormat_ = std::move(format); }
    const std::string& EditFormat() const { return editFormat_; }
    void SetEditFormat(std::string format) { editFormat_ = std::move(format); }
    // A double field holding money: every value written is rounded to the cent, half away
    // from zero, on the decimal value as written (typed text exactly as typed, a double by its
    // shortest text), so the set holds exactly what it shows and sends. An amount beyond 15
    // digits is refused with DataSetError and the field keeps its value.
    bool Money() const { return money_; }
    void SetMoney(bool money) { money_ = money; }

    // Asks every data link of the set's data sources, in order, to select the first
    // control showing this field and give it the focus; the first that does ends the search.
    void FocusControl();

    // The current row's value. A set with no current row reads as null.
    bool IsNull() const;
    Variant Value() const;
    // The plain value as text: "" for null; a double's general text (FloatToStr); a date's
    // short date (with the time when not midnight).
    std::string AsString() const;
    // 0 for null; a string field converts its text with StrToFloat.
    double AsFloat() const;
    // The zero date (0) for null; a string field converts its text with StrToDateTime.
    DateTime AsDateTime() const;

    // Writing needs the set in edit or insert state (else DataSetError). A failed write
    // (conversion, size) leaves the value as it was. An empty text makes the field null.
    // A string longer than Size() characters is refused, never cut.
    void SetAsString(std::string_view text);
    void SetAsFloat(double value);
    void SetAsDateTime(DateTime value);
    void SetValue(const Variant& value);
    void Clear();

    // Display text (for a grid cell or a label) and edit text (for an editor). OnGetText,
    // when set, produces both instead of the field's formatting. Without it: a double shows
    // DisplayFormat and edits with EditFormat (DisplayFormat when empty), else its general
    // text; a date shows DisplayFormat, else the short date, and edits with the short date;
    // null shows "".
    std::string DisplayText() const { return GetText(true); }
    std::string Text() const { return GetText(false); }
    std::string GetText(bool displayText) const;
    // The text-entry path of editors and grids: OnSetText, when set, runs instead of the
    // field's conversion (SetAsString); whatever either raises aborts the assignment and
    // the field keeps its value.
    void SetText(std::string_view text);

    std::function<void(Field&, const std::string&)> OnSetText;
    std::function<void(Field&, std::string&, bool displayText)> OnGetText;

  private:
    ClientDataSet* owner_;
    int index_;
    FieldDef def_;
    std::string label_;
    bool visible_ = true;
    int displayWidth_ = 0;
    std::string editMask_;
    std::string displayFormat_;
    std::string editFormat_;
    bool money_ = false;
};

}  // namespace platform

// Field: conversions between the stored value and text, double and date, and the hooks.
#include "platform/data/Field.h"

#include <cmath>
#include <vector>

#include "core/MessageText.h"
#include "core/Money.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataError.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSource.h"
#include "platform/text/EditMask.h"
#include "platform/text/FormatSettings.h"
#include "platform/text/TextFunctions.h"

namespace platform {
namespace {

std::string AmountOutOfRange(std::string_view amount, const std::string& label) {
    return "O valor " + core::Quoted(amount) + " excede o limite do campo '" + label +
           "' (9.999.999.999.999,99).";
}

// A typed amount, exact to the cent; text that is no number raises the conversion error.
double TypedAmount(const std::string& text, const std::string& label) {
    core::MoneyTextError error = core::MoneyTextError::None;
    if (const auto cents = core::CentsOfText(text, &error)) return core::CentsToDouble(*cents);
    if (error == core::MoneyTextError::OutOfRange)
        throw DataSetError(AmountOutOfRange(text, label));
    return StrToFloat(text);
}

// The edit text layout of a date under an edit mask: the mask's digit groups decide it, so
// that a month mask ("!99/0000") edits "03/2024" rather than a full date it cannot hold.
std::string DateEditFormat(const std::string& mask) {
    if (mask.empty()) return kFormatSettings.ShortDateFormat;
    std::vector<std::size_t> groups;
    std::size_t run = 0;
    const EditMask parsed(mask);
    for (const MaskPosition& p : parsed.Positions()) {
        if (!p.Literal) {
            ++run;
        } else if (run > 0) {
            groups.push_back(run);
            run = 0;
        }
    }
    if (run > 0) groups.push_back(run);
    if (groups == std::vector<std::size_t>{2, 4}) return "mm/yyyy";
    if (groups == std::vector<std::size_t>{2, 2, 2}) return "dd/mm/yy";
    return kFormatSettings.ShortDateFormat;
}

}  // namespace

Field::Field(ClientDataSet& owner, int index, FieldDef def)
    : owner_(&owner), index_(index), def_(std::move(def)) {}

const std::string& Field::DisplayLabel() const {
    return label_.empty() ? def_.Name : label_;
}

void Field::SetDisplayLabel(std::string label) {
    label_ = std::move(label);
    owner_->Notify(DataEvent::LayoutChanged);
}

void Field::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    owner_->Notify(DataEvent::LayoutChanged);
}

int Field::DisplayWidth() const {
    if (displayWidth_ > 0) return displayWidth_;
    switch (def_.Type) {
        case FieldType::String:
        case FieldType::FixedString:
            return def_.Size;
        case FieldType::DateTime:
            return 10;
        case FieldType::Double:
            return 15;
    }
    return 10;
}

void Field::SetDisplayWidth(int width) {
    displayWidth_ = width;
    owner_->Notify(DataEvent::LayoutChanged);
}

void Field::SetEditMask(std::string mask) {
    const platform::EditMask check(mask);  // raises for a malformed mask before anything changes
    editMask_ = std::move(mask);
}

void Field::FocusControl() {
    for (DataSource* source : std::vector<DataSource*>(owner_->DataSources())) {
        if (!source->Enabled()) continue;
        for (DataLink* link : std::vector<DataLink*>(source->Links()))
            if (link->FocusField(*this)) return;
    }
}

Variant Field::Value() const {
    return owner_->ReadValue(index_);
}

bool Field::IsNull() const {
    return platform::IsNull(Value());
}

std::string Field::AsString() const {
    const Variant v = Value();
    if (platform::IsNull(v)) return {};
    if (const auto* text = std::get_if<std::string>(&v)) return *text;
    const double number = std::get<double>(v);
    return def_.Type == FieldType::DateTime ? DateTimeToStr(number) : FloatToStr(number);
}

double Field::AsFloat() const {
    const Variant v = Value();
    if (platform::IsNull(v)) return 0;
    if (const auto* text = std::get_if<std::string>(&v)) return StrToFloat(*text);
    return std::get<double>(v);
}

DateTime Field::AsDateTime() const {
    const Variant v = Value();
    if (platform::IsNull(v)) return 0;
    if (const auto* text = std::get_if<std::string>(&v)) return StrToDateTime(*text);
    return std::get<double>(v);
}

void Field::SetValue(const Variant& value) {
    owner_->CheckWritable(*this);
    Variant checked = value;
    if (const auto* text = std::get_if<std::string>(&value)) {
        if (text->empty()) {
            checked = std::monostate{};
        } else if (IsStringType(def_.Type)) {
            if (!IsValidUtf8(*text))
                throw DataSetError("O texto para o campo '" + DisplayLabel() +
                                   "' não está em UTF-8 válido.");
            if (Utf8Length(*text) > static_cast<std::size_t>(def_.Size))
                throw DataSetError("O texto '" + *text + "' não cabe no campo '" + DisplayLabel() +
                                   "' (tamanho " + std::to_string(def_.Size) + ").");
        } else if (def_.Type == FieldType::Double) {
            checked = money_ ? TypedAmount(*text, DisplayLabel()) : StrToFloat(*text);
        } else {
            checked = StrToDateTime(*text);
        }
    } else if (const auto* number = std::get_if<double>(&value)) {
        if (!std::isfinite(*number))
            throw DataSetError("Valor numérico inválido para o campo '" + DisplayLabel() + "'.");
        if (IsStringType(def_.Type)) {
            SetValue(FloatToStr(*number));
            return;
        }
        if (money_ && def_.Type == FieldType::Double) {
            const auto cents = core::CentsOf(*number);
            if (!cents) throw DataSetError(AmountOutOfRange(FloatToStr(*number), DisplayLabel()));
            checked = core::CentsToDouble(*cents);
        }
    }
    owner_->WriteValue(*this, checked);
}

void Field::SetAsString(std::string_view text) {
    SetValue(std::string(text));
}

void Field::SetAsFloat(double value) {
    SetValue(value);
}

void Field::SetAsDateTime(DateTime value) {
    if (IsStringType(def_.Type)) {
        SetValue(DateTimeToStr(value));
        return;
    }
    SetValue(value);
}

void Field::Clear() {
    SetValue(std::monostate{});
}

std::string Field::GetText(bool displayText) const {
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<Field&>(*this), text, displayText);
        return text;
    }
    const Variant v = Value();
    if (platform::IsNull(v)) return {};
    if (const auto* text = std::get_if<std::string>(&v)) return *text;
    const double number = std::get<double>(v);
    if (def_.Type == FieldType::DateTime) {
        if (displayText && !displayFormat_.empty()) return FormatDateTime(displayFormat_, number);
        if (displayText) return DateTimeToStr(number);
        return FormatDateTime(DateEditFormat(editMask_), number);
    }
    const std::string& format = displayText || editFormat_.empty() ? displayFormat_ : editFormat_;
    return format.empty() ? FloatToStr(number) : FormatFloat(format, number);
}

void Field::SetText(std::string_view text) {
    owner_->CheckWritable(*this);
    if (OnSetText) {
        OnSetText(*this, std::string(text));
        return;
    }
    SetAsString(text);
}

}  // namespace platform

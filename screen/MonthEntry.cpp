// Month entry and value display: MM/YYYY months stored as the month's last day, values as CR/DB.
#include "screen/TfrmSaldComerc.h"

#include <cmath>

#include "library/Consiste.h"
#include "platform/text/TextFunctions.h"
#include "screen/ModuleVariables.h"

namespace {

constexpr const char* kValueFormat = "#,##0.00";

// The amount followed by its mark: zero or positive is credit, negative is debit (shown
// without its sign).
std::string MarkedValue(double value) {
    if (value >= 0) return platform::FormatFloat(kValueFormat, value) + " CR";
    return platform::FormatFloat(kValueFormat, std::fabs(value)) + " DB";
}

}  // namespace

// Parses "MM/YYYY": the first "/" must be the third character; month and year are
// converted as they stand (a conversion failure travels on and leaves woMes/woAno alone);
// only the month's range is judged.
bool TfrmSaldComerc::CheckMesValido(const std::string& text) {
    if (text.find('/') != 2) return false;
    const int month = platform::StrToInt(text.substr(0, 2));
    const int year = platform::StrToInt(text.substr(3, 4));
    woMes = static_cast<std::uint16_t>(month);
    woAno = static_cast<std::uint16_t>(year);
    return month >= 1 && month <= 12;
}

void TfrmSaldComerc::cdsSaldFornDTIMPSALDOSetText(platform::Field&, const std::string& text) {
    EntraMes(Kind(records::BalanceKind::Suppliers), text);
}

void TfrmSaldComerc::cdsSaldClieDTIMPSALDOSetText(platform::Field&, const std::string& text) {
    EntraMes(Kind(records::BalanceKind::Clients), text);
}

void TfrmSaldComerc::cdsSaldBancoDTIMPSALDOSetText(platform::Field&, const std::string& text) {
    EntraMes(Kind(records::BalanceKind::Banks), text);
}

// Stores the month's last day; a text that is no valid month is refused with its message
// and the field keeps its value.
void TfrmSaldComerc::EntraMes(screen::KindMembers& kind, const std::string& text) {
    woMes = 0;
    woAno = 0;
    if (CheckMesValido(text))
        kind.DTIMPSALDO->SetAsDateTime(library::UltDiaMes(woMes, woAno));
    else
        library::MensErro(msgPadrao->Msg("Data_Inv"), true);
}

void TfrmSaldComerc::cdsSaldFornVRIMPSALDOGetText(platform::Field&, std::string& text, bool) {
    TextoValor(Kind(records::BalanceKind::Suppliers), text);
}

void TfrmSaldComerc::cdsSaldClieVRIMPSALDOGetText(platform::Field&, std::string& text, bool) {
    TextoValor(Kind(records::BalanceKind::Clients), text);
}

void TfrmSaldComerc::cdsSaldBancoVRIMPSALDOGetText(platform::Field&, std::string& text, bool) {
    TextoValor(Kind(records::BalanceKind::Banks), text);
}

// Display and edit text are the same. While the kind's set is in its plain-value state
// (inserting suppliers, editing clients or banks) every value of the set shows as a signed
// number without its mark, so the one being typed reads as typed.
void TfrmSaldComerc::TextoValor(const screen::KindMembers& kind, std::string& text) const {
    const double value = kind.VRIMPSALDO->AsFloat();
    text = MarkedValue(value);
    if (kind.set->State() != kind.info->plainValueState) return;
    text = kind.info->plainValue == records::PlainValue::Grouped
               ? platform::FormatFloat(kValueFormat, value)
               : platform::FloatToStr(value);
}

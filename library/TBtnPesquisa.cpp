// The look-up button.
#include "library/TBtnPesquisa.h"

#include "library/Pesquisa.h"
#include "platform/Exceptions.h"
#include "platform/data/DataSource.h"

namespace library {

TBtnPesquisa::TBtnPesquisa() {
    SetHint("Pesquisar");
    // The host runs the button with this key from its Associate control.
    SetShortCut("Ctrl+Enter");
    SetImageName("edit-find");
    OnClick = [this](platform::Component*) { Execute(); };
}

bool TBtnPesquisa::Execute() {
    bool canSearch = true;
    if (OnBeforePesq) OnBeforePesq(this, canSearch);
    if (!canSearch) return false;
    if (!DataSource)
        throw platform::Error("O botão de pesquisa " + Name() + " não tem fonte de dados.");
    if (!Pesquisar(*DataSource, Title + "|" + EmptyError)) return false;
    if (OnAfterPesq) OnAfterPesq(this);
    return true;
}

}  // namespace library

// Grid look-ups: the ledger account and owner pick lists of the entry grid's ellipsis buttons.
#include "screen/TfrmSaldComerc.h"

#include "library/Consiste.h"
#include "library/Pesquisa.h"
#include "platform/text/TextFunctions.h"

namespace {

// Writes the picked code and name into the row; the set keeps inserting (Edit does nothing
// then). The name is written only once the code was accepted.
void WritePick(platform::ClientDataSet& set, platform::Field& code, const std::string& codeText,
               platform::Field& name, const std::string& nameText) {
    set.Edit();
    code.SetAsString(codeText);
    name.SetAsString(nameText);
}

// The account list holds codes longer than the row's field; cutting one would store another
// account, so such a pick is refused with a message and nothing is written.
void RefuseLongAccount(const std::string& code, const platform::Field& field) {
    const auto limit = static_cast<std::size_t>(field.Size());
    if (platform::Utf8Length(code) <= limit) return;
    library::MensErro("A Conta Contábil " + code + " tem código com mais de " +
                          std::to_string(limit) +
                          " caracteres e não pode ser usada no saldo comercial. Escolha outra "
                          "conta.",
                      true);
}

}  // namespace

// Only a row being inserted gets a look-up; the list is read again on every look-up.
void TfrmSaldComerc::dbgLancSaldComeEditButtonClick(platform::Component*) {
    if (dtsPadrao.State() != platform::DataSetState::Insert) return;
    const platform::Field* selected = dbgLancSaldCome->SelectedField();
    if (!selected) return;
    const std::string& column = selected->FieldName();
    if (column == "CDCONTCTBL") {
        PesquisaContaContabil();
    } else if (column == "NMRAZAOSOCIAL") {
        if (auto* kind = SelectedKind()) PesquisaTitular(*kind);
    }
}

// The same list for every kind; the pick goes into the selected kind's row.
void TfrmSaldComerc::PesquisaContaContabil() {
    qryContCtbl->Close();
    qryContCtbl->Open();
    const std::string title =
        msgPadrao->Msg("ContCtbl") + "|" + msgPadrao->Msg("Conta_Contab_Empty");
    if (!library::Pesquisar(dtsContCtbl, title, false, true)) return;
    auto* kind = SelectedKind();
    if (kind == nullptr) return;
    const std::string code = qryContCtbl->Query.FieldByName("CDCONTCTBL").AsString();
    RefuseLongAccount(code, *kind->CDCONTCTBL);
    WritePick(*kind->set, *kind->CDCONTCTBL, code, *kind->NMCONTCTBL,
              qryContCtbl->Query.FieldByName("NMCONTCTBL").AsString());
}

// The kind's own list: suppliers, clients or bank current accounts, every row of it.
void TfrmSaldComerc::PesquisaTitular(screen::KindMembers& kind) {
    const records::OwnerLookUp& lookUp = kind.info->owner;
    auto& query = *kind.ownerQuery;
    query.Close();
    query.ParamByName(lookUp.codeParam).Clear();
    auto& filter = query.ParamByName(lookUp.filterParam);
    if (lookUp.filterValue)
        filter.SetAsString(std::string(*lookUp.filterValue));
    else
        filter.Clear();
    query.Open();
    const std::string title = msgPadrao->Msg(std::string(lookUp.titleKey)) + "|" +
                              msgPadrao->Msg(std::string(lookUp.emptyKey));
    if (!library::Pesquisar(*kind.ownerLink, title, false, true)) return;
    WritePick(*kind.set, *kind.CDSALDCOME, query.Query.FieldByName(lookUp.codeField).AsString(),
              *kind.NMRAZAOSOCIAL, query.Query.FieldByName(lookUp.nameField).AsString());
}

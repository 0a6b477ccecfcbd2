// The look-up dialog over the dialog port.
#include "library/Pesquisa.h"

#include "platform/Exceptions.h"
#include "platform/app/Application.h"
#include "platform/app/DialogPort.h"
#include "platform/data/DataSource.h"

namespace library {

namespace {

platform::DialogPort& Dialogs() {
    auto* dialogs = platform::Application::Instance().Dialogs();
    if (!dialogs) throw platform::Error("Nenhuma janela de diálogo disponível para a pesquisa.");
    return *dialogs;
}

}  // namespace

bool Pesquisar(platform::DataSource& source, const std::string& text, bool multiSelect,
               bool showAll) {
    (void)multiSelect;
    (void)showAll;
    const auto bar = text.find('|');
    const std::string title = text.substr(0, bar);
    const std::string emptyMessage =
        bar == std::string::npos ? std::string() : text.substr(bar + 1);

    auto* set = source.DataSet();
    if (!set || !set->Active() || set->IsEmpty()) {
        Dialogs().ShowError(emptyMessage.empty() ? "Nenhum registro encontrado." : emptyMessage);
        return false;
    }
    std::vector<const platform::Field*> fields;
    std::vector<std::string> captions;
    for (int i = 0; i < set->FieldCount(); ++i) {
        const auto& field = set->Fields(i);
        if (!field.Visible()) continue;
        fields.push_back(&field);
        captions.push_back(field.DisplayLabel());
    }
    std::vector<std::vector<std::string>> rows;
    const int count = set->RecordCount();
    rows.reserve(static_cast<std::size_t>(count));
    for (int r = 0; r < count; ++r) {
        auto& row = rows.emplace_back();
        for (const auto* field : fields) row.push_back(set->VisibleRowText(r, *field, true));
    }
    const auto picked = Dialogs().PickRow(title, captions, rows);
    if (!picked || *picked >= rows.size()) return false;
    set->MoveToVisibleRow(static_cast<int>(*picked));
    return true;
}

}  // namespace library

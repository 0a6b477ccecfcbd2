// Validation helpers of the accounting client.
#include "library/Consiste.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/app/Application.h"
#include "platform/app/DialogPort.h"
#include "platform/text/TextFunctions.h"
#include "platform/ui/DBGrid.h"

namespace library {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
}  // namespace

bool EmptyString(const std::string& text) {
    return std::all_of(text.begin(), text.end(), IsBlank);
}

std::string Ajusta(const std::string& text, int width) {
    auto first = std::find_if_not(text.begin(), text.end(), IsBlank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlank).base();
    std::string code = first < last ? std::string(first, last) : std::string();
    const bool numeric = !code.empty() && std::all_of(code.begin(), code.end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
    if (numeric && static_cast<int>(code.size()) < width)
        code.insert(0, static_cast<std::size_t>(width) - code.size(), '0');
    return code;
}

void MensErro(const std::string& text, bool abort, const std::string& detail) {
    if (auto* dialogs = platform::Application::Instance().Dialogs()) {
        if (detail.empty()) {
            dialogs->ShowError(text);
        } else {
            dialogs->ShowErrorWithDetail(text, detail);
        }
    }
    if (abort) throw platform::Abort();
}

platform::DateTime UltDiaMes(int month, int year) {
    if (month < 1 || month > 12)
        throw platform::ConversionError("Mês inválido: " + std::to_string(month) +
                                        " (esperado de 1 a 12)");
    if (year < 1 || year > 9999)
        throw platform::ConversionError("Ano inválido: " + std::to_string(year) +
                                        " (esperado de 1 a 9999)");
    return platform::EndOfAMonth(year, month);
}

int IndiceCol(const platform::DBGrid& grid, const std::string& fieldName) {
    const auto wanted = platform::UpperCase(fieldName);
    for (int i = 0; i < grid.ColumnCount(); ++i)
        if (platform::UpperCase(grid.ColumnFieldName(i)) == wanted) return i;
    return -1;
}

nlohmann::json CheckResultServ(const TServerResult& result, bool raise, int helpContext) {
    (void)helpContext;
    if (result.Ok) return result.Payload;
    const std::string message =
        result.Error.empty() ? "O servidor de aplicação recusou a operação." : result.Error;
    if (raise) throw platform::Error(message);
    MensErro(message, false);
    return nullptr;
}

}  // namespace library

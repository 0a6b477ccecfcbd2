// The argument checks and the kinds' decoding, with the messages the client shows.
#include "server/CallArguments.h"

#include "core/MessageText.h"
#include "core/TieOut.h"
#include "core/Utf8.h"
#include "server/Errors.h"
#include "server/RequestKeys.h"

namespace server {
namespace {

using rpc::ArgumentType;

constexpr std::size_t kMaxUserChars = 64;

const char* Describe(ArgumentType type) {
    switch (type) {
        case ArgumentType::Number:
            return "um número";
        case ArgumentType::String:
            return "texto";
        case ArgumentType::Boolean:
            return "true ou false";
        default:
            return "um pacote (objeto)";
    }
}

[[noreturn]] void UnknownKind(const std::string& text, const char* choices) {
    throw ArgumentError("Tipo de saldo desconhecido: " + core::Quoted(text, 20) + ". Use " +
                        choices + ".");
}

}  // namespace

CallArguments::CallArguments(std::string_view method, const rpc::Arguments& arguments,
                             std::initializer_list<ExpectedArgument> expected, std::size_t optional)
    : method_(method), arguments_(arguments) {
    if (arguments.Count() < expected.size() || arguments.Count() > expected.size() + optional) {
        std::string names;
        for (const ExpectedArgument& a : expected)
            names += (names.empty() ? "" : ", ") + std::string(a.name);
        const std::string count = optional == 0 ? std::to_string(expected.size())
                                                : "de " + std::to_string(expected.size()) + " a " +
                                                      std::to_string(expected.size() + optional);
        throw ArgumentError(std::string(method) + " espera " + count + " argumentos (" + names +
                            (optional == 0 ? "" : ", ...") + "), recebeu " +
                            std::to_string(arguments.Count()) + ".");
    }
    std::size_t i = 0;
    for (const ExpectedArgument& a : expected) {
        if (arguments.Type(i++) != a.type)
            throw ArgumentError("O argumento " + std::to_string(i) + " (" + a.name + ") de " +
                                std::string(method) + " deve ser " + Describe(a.type) + ".");
    }
}

core::BalanceKind CallArguments::KindOfTag(std::size_t index) const {
    const std::string tag = Text(index);
    if (const auto kind = core::KindOfTag(tag)) return *kind;
    UnknownKind(tag,
                "\"\" (fornecedores), \"SaldClie\" (clientes) ou \"SaldBanco\" "
                "(bancos)");
}

core::BalanceKind CallArguments::KindOfCode(std::size_t index) const {
    const std::string code = Text(index);
    const auto kind = core::TieOutKindOfCode(code);
    if (!kind || !*kind)
        UnknownKind(code, "\"F\" (fornecedores), \"C\" (clientes) ou \"B\" (bancos)");
    return **kind;
}

std::optional<core::BalanceKind> CallArguments::KindOfCodeOrAll(std::size_t index) const {
    const std::string code = Text(index);
    const auto kind = core::TieOutKindOfCode(code);
    if (!kind)
        UnknownKind(code, "\"F\" (fornecedores), \"C\" (clientes), \"B\" (bancos) ou \"\" (todos)");
    return *kind;
}

std::optional<std::string> CallArguments::OptionalText(std::size_t index, const char* name,
                                                       std::size_t maxChars) const {
    if (arguments_.Count() <= index || arguments_.Type(index) == ArgumentType::Null)
        return std::nullopt;
    if (arguments_.Type(index) != ArgumentType::String)
        throw ArgumentError("O argumento " + std::to_string(index + 1) + " (" + name + ") de " +
                            std::string(method_) + " deve ser texto ou null.");
    std::string text = arguments_.String(index);
    if (core::Utf8Length(text) > maxChars)
        throw ArgumentError("O argumento " + std::to_string(index + 1) + " (" + name + ") de " +
                            std::string(method_) + " tem mais de " + std::to_string(maxChars) +
                            " caracteres.");
    return text;
}

std::string CallArguments::RequestKey(std::size_t index) const {
    const auto key = OptionalText(index, "chave", kMaxRequestKeyChars);
    if (!key) return {};
    CheckRequestKey(*key);
    return *key;
}

Caller CallArguments::CallerOf(std::size_t userIndex, std::string identifiedUser) const {
    OptionalText(userIndex, "usuário", kMaxUserChars);
    return {std::move(identifiedUser), std::string(arguments_.Peer())};
}

}  // namespace server

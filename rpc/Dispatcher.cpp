// Request validation, method look-up and error replies of JSON-RPC 2.0.
#include "rpc/Dispatcher.h"

#include "rpc/RpcError.h"

namespace rpc {

using nlohmann::json;

namespace {

std::string ResultReply(const json& id, const std::string& result) {
    std::string reply = R"({"jsonrpc":"2.0","id":)";
    reply += id.dump();
    reply += R"(,"result":)";
    reply += result;
    reply += '}';
    return reply;
}

}  // namespace

void Dispatcher::Add(const std::string& server, const std::string& method, Handler handler) {
    servers_.insert(server);
    methods_[server + "." + method] = std::move(handler);
}

std::string Dispatcher::ErrorReply(const json& id, int code, const std::string& message) {
    const json reply = {
        {"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
    return reply.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string Dispatcher::Handle(std::string_view line) const {
    json request;
    try {
        request = json::parse(line);
    } catch (const json::parse_error& e) {
        return ErrorReply(
            nullptr, kParseError,
            std::string("Mensagem inválida: não é um JSON bem formado (") + e.what() + ").");
    }
    if (!request.is_array()) return HandleOne(request);
    if (request.empty()) return ErrorReply(nullptr, kInvalidRequest, "Lote de chamadas vazio.");
    std::string replies;
    for (const json& one : request) {
        std::string reply = HandleOne(one);
        if (reply.empty()) continue;
        replies += replies.empty() ? "[" : ",";
        replies += reply;
    }
    return replies.empty() ? replies : replies + "]";
}

std::string Dispatcher::HandleOne(const json& request) const {
    if (!request.is_object()) {
        return ErrorReply(nullptr, kInvalidRequest,
                          "Requisição inválida: esperado um objeto JSON.");
    }
    const auto idIt = request.find("id");
    const bool notification = idIt == request.end();
    json id = notification ? json(nullptr) : *idIt;
    if (!id.is_null() && !id.is_string() && !id.is_number()) {
        return ErrorReply(nullptr, kInvalidRequest,
                          "Requisição inválida: \"id\" deve ser texto, número ou null.");
    }
    const auto version = request.find("jsonrpc");
    if (version == request.end() || *version != "2.0") {
        return ErrorReply(id, kInvalidRequest,
                          "Requisição inválida: \"jsonrpc\" deve ser \"2.0\".");
    }
    const auto methodIt = request.find("method");
    if (methodIt == request.end() || !methodIt->is_string()) {
        return ErrorReply(id, kInvalidRequest,
                          "Requisição inválida: \"method\" deve ser o nome do método.");
    }
    const std::string method = methodIt->get<std::string>();
    const json params = request.value("params", json::array());
    if (!params.is_array()) {
        return ErrorReply(id, kInvalidParams,
                          "Os argumentos de " + method + " devem ser posicionais (uma lista).");
    }
    const auto found = methods_.find(method);
    if (found == methods_.end()) {
        const std::size_t dot = method.rfind('.');
        const std::string server = dot == std::string::npos ? "" : method.substr(0, dot);
        if (servers_.count(server) == 0) {
            return ErrorReply(id, kMethodNotFound,
                              "Servidor desconhecido: \"" + server +
                                  "\". Chame os métodos como \"<servidor>.<método>\".");
        }
        return ErrorReply(
            id, kMethodNotFound,
            "O servidor \"" + server + "\" não tem o método \"" + method.substr(dot + 1) + "\".");
    }
    try {
        std::string result = found->second(params);
        return notification ? std::string() : ResultReply(id, result);
    } catch (const RpcError& e) {
        return notification ? std::string() : ErrorReply(id, e.Code(), e.what());
    } catch (const platform::Error& e) {
        return notification ? std::string() : ErrorReply(id, kServerError, e.what());
    } catch (const std::exception& e) {
        return notification ? std::string()
                            : ErrorReply(id, kInternalError,
                                         std::string("Erro interno do servidor: ") + e.what());
    }
}

}  // namespace rpc

// Request validation, method look-up and error replies of JSON-RPC 2.0. The line is read once
// by the strict reader, which checks all of it and notes where each request's members and
// arguments lie; methods then read their arguments from those spans.
#include "rpc/Dispatcher.h"

#include <iostream>
#include <optional>
#include <vector>

#include "core/Json.h"
#include "core/MessageText.h"
#include "core/Utf8.h"
#include "rpc/RpcError.h"

namespace rpc {

using nlohmann::json;

// Where one request's members lie in the line.
struct Dispatcher::Envelope {
    struct Member {
        bool present = false;
        ArgumentType type = ArgumentType::Null;
        std::string_view json;
    };
    bool object = true;
    Member jsonrpc, id, method, params;
    std::vector<Arguments::Item> arguments;
    std::size_t argumentCount = 0;
};

namespace {

// A fault that is not a user's error: its text is a library's or a programmer's, in English
// and naming internals, so the caller gets a fixed message and the log gets the detail.
std::string InternalFault(std::string_view detail) {
    std::cerr << "saldo-server: erro interno: " << detail << '\n';
    return "Erro interno do servidor; nada foi gravado. O detalhe está no registro do servidor.";
}

constexpr std::size_t kNameChars = 60;  // of a method or server name echoed in a message

ArgumentType TypeOf(core::JsonToken token) {
    switch (token) {
        case core::JsonToken::BeginObject:
            return ArgumentType::Object;
        case core::JsonToken::BeginArray:
            return ArgumentType::Array;
        case core::JsonToken::String:
            return ArgumentType::String;
        case core::JsonToken::Number:
            return ArgumentType::Number;
        case core::JsonToken::True:
        case core::JsonToken::False:
            return ArgumentType::Boolean;
        default:
            return ArgumentType::Null;
    }
}

// Reads one value whose first token was just read, returning its span.
std::string_view ValueSpan(core::JsonReader& reader, std::string_view line, core::JsonToken first) {
    const std::size_t start = reader.Offset();
    reader.SkipValue(first);
    return line.substr(start, reader.Position() - start);
}

bool UsableId(const Dispatcher::Envelope::Member& id) {
    return id.present && id.json.size() <= Dispatcher::kMaxIdBytes &&
           (id.type == ArgumentType::Null || id.type == ArgumentType::String ||
            id.type == ArgumentType::Number);
}

// Reads the members of a request object whose opening brace was just read. `idSeen` gets the
// id as soon as it has been read, so that a fault later in the line can still be answered to it.
void ScanRequest(core::JsonReader& reader, std::string_view line, Dispatcher::Envelope& request,
                 std::optional<json>* idSeen) {
    for (core::JsonToken t = reader.Next(); t != core::JsonToken::EndObject; t = reader.Next()) {
        const std::string_view key = reader.Text();
        Dispatcher::Envelope::Member* member = key == "jsonrpc"  ? &request.jsonrpc
                                               : key == "id"     ? &request.id
                                               : key == "method" ? &request.method
                                               : key == "params" ? &request.params
                                                                 : nullptr;
        const core::JsonToken value = reader.Next();
        if (member == nullptr) {
            reader.SkipValue(value);
            continue;
        }
        member->present = true;
        member->type = TypeOf(value);
        if (member == &request.params && value == core::JsonToken::BeginArray) {
            const std::size_t start = reader.Offset();
            for (core::JsonToken a = reader.Next(); a != core::JsonToken::EndArray;
                 a = reader.Next()) {
                const Arguments::Item item{TypeOf(a), ValueSpan(reader, line, a)};
                if (request.arguments.size() < Arguments::kMaxKept)
                    request.arguments.push_back(item);
                ++request.argumentCount;
            }
            member->json = line.substr(start, reader.Position() - start);
            continue;
        }
        member->json = ValueSpan(reader, line, value);
        if (member == &request.id && idSeen != nullptr && UsableId(*member))
            *idSeen = core::ParseJson(member->json);
    }
}

// Reads the whole line: one request or a batch of them.
std::vector<Dispatcher::Envelope> Scan(std::string_view line, bool& batch,
                                       std::optional<json>& idSeen) {
    core::JsonReader reader(line);
    std::vector<Dispatcher::Envelope> requests;
    const core::JsonToken first = reader.Next();
    batch = first == core::JsonToken::BeginArray;
    if (!batch) {
        Dispatcher::Envelope& request = requests.emplace_back();
        if (first == core::JsonToken::BeginObject)
            ScanRequest(reader, line, request, &idSeen);
        else
            request.object = false;
    } else {
        for (core::JsonToken t = reader.Next(); t != core::JsonToken::EndArray; t = reader.Next()) {
            if (requests.size() == Dispatcher::kMaxBatch)
                throw RpcError(
                    kInvalidRequest,
                    "Lote com mais de " + std::to_string(Dispatcher::kMaxBatch) + " chamadas.");
            Dispatcher::Envelope& request = requests.emplace_back();
            if (t == core::JsonToken::BeginObject) {
                ScanRequest(reader, line, request, nullptr);
            } else {
                request.object = false;
                reader.SkipValue(t);
            }
        }
    }
    reader.Next();  // only blanks may follow
    return requests;
}

std::string DecodeString(std::string_view json) {
    core::JsonReader reader(json);
    reader.Next();
    return std::string(reader.Text());
}

std::string ResultHead(const json& id) {
    return R"({"jsonrpc":"2.0","id":)" + id.dump() + R"(,"result":)";
}

}  // namespace

void Dispatcher::AddStreamMethod(const std::string& server, const std::string& method,
                                 StreamMethod handler) {
    servers_.insert(server);
    methods_[server + "." + method] = std::move(handler);
}

void Dispatcher::AddMethod(const std::string& server, const std::string& method, Method handler) {
    AddStreamMethod(
        server, method,
        [handler = std::move(handler)](const Arguments& arguments, ResultStream& result) {
            result.Text() += handler(arguments);
        });
}

void Dispatcher::Add(const std::string& server, const std::string& method, Handler handler) {
    AddMethod(server, method, [handler = std::move(handler)](const Arguments& arguments) {
        return handler(arguments.All());
    });
}

std::string Dispatcher::ErrorReply(const json& id, int code, const std::string& message) {
    std::string text(core::Utf8Prefix(message, kMaxMessageChars));
    if (text.size() < message.size()) text += "…";
    const json reply = {
        {"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", text}}}};
    return reply.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string Dispatcher::Handle(std::string_view line, Connection* origin) const {
    return Handle(line, origin, nullptr);
}

std::string Dispatcher::Handle(std::string_view line, Connection* origin, ReplySink* sink) const {
    try {
        bool batch = false;
        std::optional<json> idSeen;
        std::vector<Envelope> requests;
        try {
            requests = Scan(line, batch, idSeen);
        } catch (const core::JsonError& e) {
            return ErrorReply(idSeen.value_or(nullptr), kParseError,
                              std::string("Mensagem recusada: ") + e.what() + ".");
        } catch (const RpcError& e) {
            return ErrorReply(nullptr, e.Code(), e.what());
        }
        if (!batch) return HandleOne(requests.front(), origin, sink);
        if (requests.empty())
            return ErrorReply(nullptr, kInvalidRequest, "Lote de chamadas vazio.");
        std::string replies;
        for (const Envelope& request : requests) {
            std::string reply = HandleOne(request, origin, nullptr);
            if (reply.empty()) continue;
            replies += replies.empty() ? "[" : ",";
            replies += reply;
        }
        return replies.empty() ? replies : replies + "]";
    } catch (const ReplyAborted&) {
        throw;
    } catch (const std::bad_alloc&) {
        return ErrorReply(nullptr, kInternalError,
                          "Memória insuficiente para atender a mensagem; nada foi gravado.");
    } catch (const std::exception& e) {
        return ErrorReply(nullptr, kInternalError, InternalFault(e.what()));
    } catch (...) {
        return ErrorReply(nullptr, kInternalError, "Erro interno do servidor.");
    }
}

std::string Dispatcher::HandleOne(const Envelope& request, Connection* origin,
                                  ReplySink* sink) const {
    if (!request.object)
        return ErrorReply(nullptr, kInvalidRequest,
                          "Requisição inválida: esperado um objeto JSON.");
    const bool notification = !request.id.present;
    json id = nullptr;
    if (!notification) {
        if (request.id.type != ArgumentType::Null && request.id.type != ArgumentType::String &&
            request.id.type != ArgumentType::Number)
            return ErrorReply(nullptr, kInvalidRequest,
                              "Requisição inválida: \"id\" deve ser texto, número ou null.");
        if (request.id.json.size() > kMaxIdBytes)
            return ErrorReply(nullptr, kInvalidRequest,
                              "Requisição inválida: \"id\" com mais de " +
                                  std::to_string(kMaxIdBytes) + " bytes.");
        id = core::ParseJson(request.id.json);
    }
    if (!request.jsonrpc.present || request.jsonrpc.type != ArgumentType::String ||
        DecodeString(request.jsonrpc.json) != "2.0")
        return ErrorReply(id, kInvalidRequest,
                          "Requisição inválida: \"jsonrpc\" deve ser \"2.0\".");
    if (!request.method.present || request.method.type != ArgumentType::String)
        return ErrorReply(id, kInvalidRequest,
                          "Requisição inválida: \"method\" deve ser o nome do método.");
    const std::string method = DecodeString(request.method.json);
    if (request.params.present && request.params.type != ArgumentType::Array)
        return ErrorReply(id, kInvalidParams,
                          "Os argumentos de " + core::Quoted(method, kNameChars) +
                              " devem ser posicionais (uma lista).");
    const auto found = methods_.find(method);
    if (found == methods_.end()) {
        const std::size_t dot = method.rfind('.');
        const std::string server = dot == std::string::npos ? "" : method.substr(0, dot);
        if (servers_.count(server) == 0) {
            return ErrorReply(id, kMethodNotFound,
                              "Servidor desconhecido: " + core::Quoted(server, kNameChars) +
                                  ". Chame os métodos como \"<servidor>.<método>\".");
        }
        return ErrorReply(id, kMethodNotFound,
                          "O servidor \"" + server + "\" não tem o método " +
                              core::Quoted(method.substr(dot + 1), kNameChars) + ".");
    }
    const Arguments arguments(request.arguments, request.argumentCount, request.params.json,
                              origin);
    ResultStream result(notification ? nullptr : sink, ResultHead(id));
    const auto answer = [&](int code, const std::string& message) {
        if (result.Started()) throw ReplyAborted(message);
        return notification ? std::string() : ErrorReply(id, code, message);
    };
    try {
        found->second(arguments, result);
        if (notification) return {};
        result.Text() += '}';
        return std::move(result.Text());
    } catch (const ReplyAborted&) {
        throw;
    } catch (const RpcError& e) {
        return answer(e.Code(), e.what());
    } catch (const core::Error& e) {
        return answer(kServerError, e.what());
    } catch (const std::bad_alloc&) {
        return answer(kInternalError,
                      "Memória insuficiente para atender a chamada; nada foi gravado.");
    } catch (const std::exception& e) {
        return answer(kInternalError, InternalFault(e.what()));
    } catch (...) {
        return answer(kInternalError, "Erro interno do servidor.");
    }
}

}  // namespace rpc

// The wire's view of the methods: positional arguments checked by number and type, the
// packet read straight from its span of the request, and the server's errors as JSON-RPC codes.
#include "server/Methods.h"

#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <type_traits>

#include "core/MessageText.h"
#include "core/Packet.h"
#include "core/Utf8.h"
#include "db/DbError.h"
#include "rpc/RpcError.h"
#include "server/Errors.h"
#include "server/RequestKeys.h"
#include "services/SaldComerService.h"

namespace server {
namespace {

using rpc::ArgumentType;

constexpr std::size_t kLogCompanyChars = 16;
constexpr std::size_t kLogOutcomeChars = 200;

struct Argument {
    const char* name;
    ArgumentType type;
};

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

// Checks the required arguments by number and type; `optional` more may follow, which the
// method checks itself.
void CheckArguments(std::string_view method, const rpc::Arguments& arguments,
                    std::initializer_list<Argument> expected, std::size_t optional = 0) {
    if (arguments.Count() < expected.size() || arguments.Count() > expected.size() + optional) {
        std::string names;
        for (const Argument& a : expected)
            names += (names.empty() ? "" : ", ") + std::string(a.name);
        const std::string count = optional == 0 ? std::to_string(expected.size())
                                                : "de " + std::to_string(expected.size()) + " a " +
                                                      std::to_string(expected.size() + optional);
        throw ArgumentError(std::string(method) + " espera " + count + " argumentos (" + names +
                            (optional == 0 ? "" : ", ...") + "), recebeu " +
                            std::to_string(arguments.Count()) + ".");
    }
    std::size_t i = 0;
    for (const Argument& a : expected) {
        if (arguments.Type(i++) != a.type)
            throw ArgumentError("O argumento " + std::to_string(i) + " (" + a.name + ") de " +
                                std::string(method) + " deve ser " + Describe(a.type) + ".");
    }
}

// The one place where the server's errors become JSON-RPC errors; call inside a catch. A
// database failure's library text, which the caller never sees, is left in `detail` for the log.
[[noreturn]] void RethrowAsRpcError(std::string& detail) {
    try {
        throw;
    } catch (const rpc::RpcError&) {
        throw;
    } catch (const ArgumentError& e) {
        throw rpc::RpcError(rpc::kInvalidParams, e.what());
    } catch (const core::PacketError& e) {
        throw rpc::RpcError(rpc::kInvalidParams, e.what());
    } catch (const ConflictError& e) {
        throw rpc::RpcError(rpc::kConflict, e.what());
    } catch (const RuleError& e) {
        throw rpc::RpcError(rpc::kServerError, e.what());
    } catch (const db::DbError& e) {
        detail = e.Detail();
        throw rpc::RpcError(rpc::kServerError, e.what());
    }
}

// An optional trailing text argument: absent or null gives nullopt.
std::optional<std::string> OptionalText(std::string_view method, const rpc::Arguments& arguments,
                                        std::size_t index, const char* name, std::size_t maxChars) {
    if (arguments.Count() <= index || arguments.Type(index) == ArgumentType::Null)
        return std::nullopt;
    if (arguments.Type(index) != ArgumentType::String)
        throw ArgumentError("O argumento " + std::to_string(index + 1) + " (" + name + ") de " +
                            std::string(method) + " deve ser texto ou null.");
    std::string text = arguments.String(index);
    if (core::Utf8Length(text) > maxChars)
        throw ArgumentError("O argumento " + std::to_string(index + 1) + " (" + name + ") de " +
                            std::string(method) + " tem mais de " + std::to_string(maxChars) +
                            " caracteres.");
    return text;
}

constexpr std::size_t kMaxUserChars = 64;

// The company argument as a log line shows it: a few characters, whatever was sent.
std::string CompanyForLog(const rpc::Arguments& arguments) {
    if (arguments.Count() == 0 || arguments.Type(0) != ArgumentType::String) return "?";
    const std::string_view json = arguments.Json(0);
    if (json.size() > 4 * kLogCompanyChars + 2)
        return core::Shortened(json.substr(1, 4 * kLogCompanyChars), kLogCompanyChars);
    return core::Shortened(arguments.String(0), kLogCompanyChars);
}

// Runs the call, logging it whatever its outcome.
template <typename Fn>
auto Logged(const CallLog& log, std::string_view method, const rpc::Arguments& arguments,
            Fn&& call) {
    const auto start = std::chrono::steady_clock::now();
    std::string outcome = "ok";
    std::string detail;
    const auto write = [&] {
        if (!log) return;
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        char elapsed[32];
        std::snprintf(elapsed, sizeof elapsed, "%.1f ms", ms);
        log(std::string(method) + " empresa=" + CompanyForLog(arguments) + " " + elapsed + " " +
            outcome);
    };
    try {
        try {
            if constexpr (std::is_void_v<decltype(call())>) {
                call();
                write();
            } else {
                auto result = call();
                write();
                return result;
            }
        } catch (...) {
            RethrowAsRpcError(detail);
        }
    } catch (const std::exception& e) {
        outcome = "erro: " + core::Shortened(e.what(), kLogOutcomeChars);
        if (!detail.empty()) outcome += " [" + core::Shortened(detail, kLogOutcomeChars) + "]";
        write();
        throw;
    }
}

}  // namespace

void RegisterMethods(rpc::Dispatcher& dispatcher, SaldoService& service, CallLog log) {
    const std::string server(kServerName);
    constexpr auto kString = ArgumentType::String;
    const auto add = [&](std::string_view method, auto body) {
        dispatcher.AddMethod(
            server, std::string(method), [log, method, body](const rpc::Arguments& arguments) {
                return Logged(log, method, arguments, [&] { return body(arguments); });
            });
    };
    // A company's packet goes out in pieces while its rows are read.
    dispatcher.AddStreamMethod(
        server, std::string(services::kGetSaldComer),
        [log, &service](const rpc::Arguments& a, rpc::ResultStream& result) {
            constexpr std::string_view method = services::kGetSaldComer;
            Logged(log, method, a, [&] {
                CheckArguments(method, a, {{"empresa", kString}, {"tipo", kString}});
                service.GetSaldComer(a.String(0), a.String(1), result.Text(),
                                     [&] { result.Mark(); });
            });
        });
    add(services::kSetSaldComer, [&service](const rpc::Arguments& a) {
        // The request key and the user name are optional trailing arguments: a caller that
        // predates them sends three.
        constexpr std::string_view method = services::kSetSaldComer;
        CheckArguments(method, a,
                       {{"empresa", kString}, {"tipo", kString}, {"pacote", ArgumentType::Object}},
                       2);
        SaveOrigin origin;
        if (const auto key = OptionalText(method, a, 3, "chave", kMaxRequestKeyChars)) {
            CheckRequestKey(*key);
            origin.key = *key;
        }
        origin.user = OptionalText(method, a, 4, "usuário", kMaxUserChars).value_or("");
        origin.peer = std::string(a.Peer());
        service.SetSaldComer(a.String(0), a.String(1), a.Json(2), origin);
        return std::string("null");
    });
    add(services::kGetHistSaldComer, [&service](const rpc::Arguments& a) {
        CheckArguments(services::kGetHistSaldComer, a,
                       {{"empresa", kString},
                        {"tipo", kString},
                        {"mês", kString},
                        {"conta", kString},
                        {"código", kString}});
        return service.GetHistSaldComer(a.String(0), a.String(1), a.String(2), a.String(3),
                                        a.String(4));
    });
    add(services::kGetVdSaldoContCtbl, [&service](const rpc::Arguments& a) {
        CheckArguments(services::kGetVdSaldoContCtbl, a,
                       {{"empresa", kString},
                        {"conta", kString},
                        {"mês", kString},
                        {"valor", ArgumentType::Number}});
        const bool allowed =
            service.GetVdSaldoContCtbl(a.String(0), a.String(1), a.String(2), a.Number(3));
        return std::string(allowed ? "true" : "false");
    });
    add(services::kGetConfContabil, [&service](const rpc::Arguments& a) {
        CheckArguments(services::kGetConfContabil, a, {{"empresa", kString}, {"tipo", kString}});
        return service.GetConfContabil(a.String(0), a.String(1));
    });
    add(services::kImportSaldComer, [&service](const rpc::Arguments& a) {
        CheckArguments(services::kImportSaldComer, a,
                       {{"empresa", kString},
                        {"tipo", kString},
                        {"arquivo", kString},
                        {"simular", ArgumentType::Boolean}},
                       1);
        // The user name is an optional trailing argument, as for saves.
        SaveOrigin origin;
        origin.user =
            OptionalText(services::kImportSaldComer, a, 4, "usuário", kMaxUserChars).value_or("");
        origin.peer = std::string(a.Peer());
        return service.ImportSaldComer(a.String(0), a.String(1), a.String(2), a.Json(3) == "true",
                                       origin);
    });
}

}  // namespace server

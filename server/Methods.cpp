// The wire's view of the methods: a table of the service's methods, each decoding its arguments
// (CallArguments), the packet read straight from its span of the request, and the server's
// errors as JSON-RPC codes. Each passes the identification's gate before it reads anything.
#include "server/Methods.h"

#include <chrono>
#include <cstdio>
#include <type_traits>

#include "core/MessageText.h"
#include "core/Packet.h"
#include "db/DbError.h"
#include "rpc/RpcError.h"
#include "server/CallArguments.h"
#include "server/Errors.h"
#include "services/SaldComerService.h"

namespace server {
namespace {

using rpc::ArgumentType;

constexpr std::size_t kLogCompanyChars = 16;
constexpr std::size_t kLogOutcomeChars = 200;

// The JSON-RPC code of a domain error.
int CodeOf(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::Argument:
            return rpc::kInvalidParams;
        case ErrorKind::Conflict:
            return rpc::kConflict;
        case ErrorKind::Rule:
            break;
    }
    return rpc::kServerError;
}

// The one place where the server's errors become JSON-RPC errors; call inside a catch. A
// database failure's library text, which the caller never sees, is left in `detail` for the log.
[[noreturn]] void RethrowAsRpcError(std::string& detail) {
    try {
        throw;
    } catch (const rpc::RpcError&) {
        throw;
    } catch (const ServiceError& e) {
        throw rpc::RpcError(CodeOf(e.Kind()), e.what());
    } catch (const core::PacketError& e) {
        throw rpc::RpcError(rpc::kInvalidParams, e.what());
    } catch (const db::DbError& e) {
        detail = e.Detail();
        throw rpc::RpcError(rpc::kServerError, e.what());
    }
}

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

void RegisterMethods(rpc::Dispatcher& dispatcher, SaldoService& service,
                     Identification& identification, CallLog log) {
    const std::string server(kServerName);
    constexpr auto kString = ArgumentType::String;
    // Every method first asks who calls (nothing is read for a caller not identified); once
    // its arguments are checked, `admit` reads the caller's rights on the company (argument 0).
    const auto add = [&](std::string_view method, auto body) {
        dispatcher.AddMethod(server, std::string(method),
                             [log, method, body, &identification](const rpc::Arguments& arguments) {
                                 return Logged(log, method, arguments, [&] {
                                     identification.Identify(arguments);
                                     const auto admit = [&](Right needed) {
                                         return identification.Admit(arguments, arguments.String(0),
                                                                     needed);
                                     };
                                     return body(arguments, admit);
                                 });
                             });
    };
    // A company's packet goes out in pieces while its rows are read.
    dispatcher.AddStreamMethod(
        server, std::string(services::kGetSaldComer),
        [log, &service, &identification](const rpc::Arguments& arguments,
                                         rpc::ResultStream& result) {
            constexpr std::string_view method = services::kGetSaldComer;
            Logged(log, method, arguments, [&] {
                identification.Identify(arguments);
                const CallArguments a(method, arguments, {{"empresa", kString}, {"tipo", kString}});
                identification.Admit(arguments, a.Text(0), Right::Read);
                service.GetSaldComer(a.Text(0), a.KindOfTag(1), result.Text(),
                                     [&] { result.Mark(); });
            });
        });
    add(services::kSetSaldComer, [&service](const rpc::Arguments& arguments, const auto& admit) {
        // The request key and the user name are optional trailing arguments: a caller that
        // predates them sends three. The name is checked but the author is the identified user.
        const CallArguments a(
            services::kSetSaldComer, arguments,
            {{"empresa", kString}, {"tipo", kString}, {"pacote", ArgumentType::Object}}, 2);
        const std::string key = a.RequestKey(3);
        const Caller caller = a.CallerOf(4, admit(Right::Write));
        service.SetSaldComer(caller, a.Text(0), a.KindOfTag(1), a.Json(2), key);
        return std::string("null");
    });
    add(services::kGetHistSaldComer, [&service](const rpc::Arguments& arguments,
                                                const auto& admit) {
        const CallArguments a(services::kGetHistSaldComer, arguments,
                              {{"empresa", kString},
                               {"tipo", kString},
                               {"mês", kString},
                               {"conta", kString},
                               {"código", kString}});
        admit(Right::Read);
        return service.GetHistSaldComer(a.Text(0), a.KindOfTag(1), a.Text(2), a.Text(3), a.Text(4));
    });
    add(services::kGetVdSaldoContCtbl,
        [&service](const rpc::Arguments& arguments, const auto& admit) {
            const CallArguments a(services::kGetVdSaldoContCtbl, arguments,
                                  {{"empresa", kString},
                                   {"conta", kString},
                                   {"mês", kString},
                                   {"valor", ArgumentType::Number}});
            admit(Right::Read);
            const bool allowed =
                service.GetVdSaldoContCtbl(a.Text(0), a.Text(1), a.Text(2), a.Number(3));
            return std::string(allowed ? "true" : "false");
        });
    add(services::kGetSaldoContCtbl,
        [&service](const rpc::Arguments& arguments, const auto& admit) {
            const CallArguments a(services::kGetSaldoContCtbl, arguments,
                                  {{"empresa", kString}, {"conta", kString}, {"mês", kString}});
            admit(Right::Read);
            return service.GetSaldoContCtbl(a.Text(0), a.Text(1), a.Text(2));
        });
    add(services::kGetConfContabil, [&service](const rpc::Arguments& arguments, const auto& admit) {
        const CallArguments a(services::kGetConfContabil, arguments,
                              {{"empresa", kString}, {"tipo", kString}});
        admit(Right::Read);
        return service.GetConfContabil(a.Text(0), a.KindOfCodeOrAll(1));
    });
    add(services::kImportSaldComer, [&service](const rpc::Arguments& arguments, const auto& admit) {
        // The user name is an optional trailing argument, as for saves.
        const CallArguments a(services::kImportSaldComer, arguments,
                              {{"empresa", kString},
                               {"tipo", kString},
                               {"arquivo", kString},
                               {"simular", ArgumentType::Boolean}},
                              1);
        const Caller caller = a.CallerOf(4, admit(Right::Write));
        return service.ImportSaldComer(caller, a.Text(0), a.KindOfCode(1), a.Text(2), a.Boolean(3));
    });
}

}  // namespace server

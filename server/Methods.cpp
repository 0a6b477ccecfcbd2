// The wire's view of the three methods: positional arguments checked by number and type.
#include "server/Methods.h"

#include <chrono>
#include <cstdio>

#include "rpc/RpcError.h"

namespace server {

using nlohmann::json;

namespace {

struct Argument {
    const char* name;
    json::value_t type;  // string, object or number (number_float stands for any number)
};

void CheckArguments(const std::string& method, const json& params,
                    std::initializer_list<Argument> expected) {
    if (params.size() != expected.size()) {
        std::string names;
        for (const Argument& a : expected)
            names += (names.empty() ? "" : ", ") + std::string(a.name);
        throw rpc::RpcError(rpc::kInvalidParams, method + " espera " +
                                                     std::to_string(expected.size()) +
                                                     " argumentos (" + names + "), recebeu " +
                                                     std::to_string(params.size()) + ".");
    }
    std::size_t i = 0;
    for (const Argument& a : expected) {
        const json& p = params[i++];
        const bool ok = a.type == json::value_t::number_float ? p.is_number()
                        : a.type == json::value_t::string     ? p.is_string()
                                                              : p.is_object();
        if (!ok) {
            const char* what = a.type == json::value_t::number_float ? "um número"
                               : a.type == json::value_t::string     ? "texto"
                                                                     : "um pacote (objeto)";
            throw rpc::RpcError(rpc::kInvalidParams, "O argumento " + std::to_string(i) + " (" +
                                                         a.name + ") de " + method + " deve ser " +
                                                         what + ".");
        }
    }
}

// Runs the call, logging it whatever its outcome.
template <typename Fn>
std::string Logged(const CallLog& log, const char* method, const json& params, Fn&& call) {
    const auto start = std::chrono::steady_clock::now();
    std::string outcome = "ok";
    const auto write = [&] {
        if (!log) return;
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const std::string company =
            !params.empty() && params[0].is_string() ? params[0].get<std::string>() : "?";
        char elapsed[32];
        std::snprintf(elapsed, sizeof elapsed, "%.1f ms", ms);
        log(std::string(method) + " empresa=" + company + " " + elapsed + " " + outcome);
    };
    try {
        std::string result = call();
        write();
        return result;
    } catch (const std::exception& e) {
        outcome = std::string("erro: ") + e.what();
        write();
        throw;
    }
}

}  // namespace

void RegisterMethods(rpc::Dispatcher& dispatcher, SaldoService& service, CallLog log) {
    constexpr auto kString = json::value_t::string;
    constexpr auto kNumber = json::value_t::number_float;
    constexpr auto kObject = json::value_t::object;
    dispatcher.Add(kServerName, "GetSaldComer", [&service, log](const json& p) {
        return Logged(log, "GetSaldComer", p, [&] {
            CheckArguments("GetSaldComer", p, {{"empresa", kString}, {"tipo", kString}});
            return service.GetSaldComer(p[0].get<std::string>(), p[1].get<std::string>());
        });
    });
    dispatcher.Add(kServerName, "SetSaldComer", [&service, log](const json& p) {
        return Logged(log, "SetSaldComer", p, [&] {
            CheckArguments("SetSaldComer", p,
                           {{"empresa", kString}, {"tipo", kString}, {"pacote", kObject}});
            service.SetSaldComer(p[0].get<std::string>(), p[1].get<std::string>(), p[2]);
            return std::string("null");
        });
    });
    dispatcher.Add(kServerName, "GetVdSaldoContCtbl", [&service, log](const json& p) {
        return Logged(log, "GetVdSaldoContCtbl", p, [&] {
            CheckArguments(
                "GetVdSaldoContCtbl", p,
                {{"empresa", kString}, {"conta", kString}, {"mês", kString}, {"valor", kNumber}});
            const bool allowed =
                service.GetVdSaldoContCtbl(p[0].get<std::string>(), p[1].get<std::string>(),
                                           p[2].get<std::string>(), p[3].get<double>());
            return std::string(allowed ? "true" : "false");
        });
    });
}

}  // namespace server

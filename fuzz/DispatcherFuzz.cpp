// Fuzz target of the dispatcher with the application server's real methods over a temporary
// SQLite database: any text in, and the reply must be one JSON value (or nothing).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "db/Connection.h"
#include "db/ConnectionPool.h"
#include "db/DemoData.h"
#include "db/Schema.h"
#include "rpc/Dispatcher.h"
#include "server/Methods.h"
#include "server/SaldoService.h"
#include "server/Users.h"

namespace {

struct Fixture {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("saldo-fuzz-" + std::to_string(::getpid()));
    std::unique_ptr<db::ConnectionPool> pool;
    std::unique_ptr<server::SaldoService> service;
    std::unique_ptr<server::Identification> identification;
    rpc::Dispatcher dispatcher;
    // Every input comes on a copy of this connection, identified as a user with every right,
    // so that it reaches the methods; the "Sessao" methods are fuzzed as well.
    rpc::Connection origin{rpc::Transport::Tcp, "fuzz", std::nullopt,
                           server::Identity{"fuzz", {}, false}};

    Fixture() {
        std::filesystem::create_directories(dir);
        const std::string url = "sqlite:" + (dir / "saldo.db").string();
        {
            auto connection = db::Connection::Open(url);
            db::CreateSchema(*connection);
            db::LoadDemoData(*connection);
            server::Users(*connection).Add("fuzz", std::nullopt, {{"*", server::Right::Write}});
        }
        pool = std::make_unique<db::ConnectionPool>(url, 1);
        service = std::make_unique<server::SaldoService>(*pool);
        identification = std::make_unique<server::Identification>(*pool, nullptr);
        identification->Register(dispatcher);
        server::RegisterMethods(dispatcher, *service, *identification, nullptr);
    }
    ~Fixture() {
        identification.reset();
        service.reset();
        pool.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fixture& fixture = TheFixture();
    rpc::Connection origin = fixture.origin;
    const std::string reply = fixture.dispatcher.Handle(
        std::string_view(reinterpret_cast<const char*>(data), size), &origin);
    if (!reply.empty()) {
        const auto parsed = nlohmann::json::parse(reply, nullptr, false);
        if (parsed.is_discarded() || !(parsed.is_object() || parsed.is_array())) std::abort();
    }
    return 0;
}

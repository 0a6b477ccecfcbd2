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

namespace {

struct Fixture {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("saldo-fuzz-" + std::to_string(::getpid()));
    std::unique_ptr<db::ConnectionPool> pool;
    std::unique_ptr<server::SaldoService> service;
    rpc::Dispatcher dispatcher;

    Fixture() {
        std::filesystem::create_directories(dir);
        const std::string url = "sqlite:" + (dir / "saldo.db").string();
        {
            auto connection = db::Connection::Open(url);
            db::CreateSchema(*connection);
            db::LoadDemoData(*connection);
        }
        pool = std::make_unique<db::ConnectionPool>(url, 1);
        service = std::make_unique<server::SaldoService>(*pool);
        server::RegisterMethods(dispatcher, *service, nullptr);
    }
    ~Fixture() {
        service.reset();
        pool.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
};

const rpc::Dispatcher& Dispatcher() {
    static Fixture fixture;
    return fixture.dispatcher;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string reply =
        Dispatcher().Handle(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!reply.empty()) {
        const auto parsed = nlohmann::json::parse(reply, nullptr, false);
        if (parsed.is_discarded() || !(parsed.is_object() || parsed.is_array())) std::abort();
    }
    return 0;
}

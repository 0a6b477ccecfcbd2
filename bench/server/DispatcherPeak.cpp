// Peak memory the dispatcher and the service add to one large SetSaldComer call, measured in
// process: the request line is built first, the peak resident size is reset, the line is
// handled, and the new peak is compared with the line's size. The socket's own buffers are not
// part of it (bench/server/peak_memory.py measures the whole server).
//
// Usage: bench-dispatcher-peak sqlite:PATH [SIZE_MB=200]   (a database made by
// `saldo-server init --demo --scale 100000`; the rows are implanted "Não", so no ledger
// check refuses them)
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/Json.h"
#include "db/ConnectionPool.h"
#include "rpc/Dispatcher.h"
#include "server/Methods.h"
#include "server/SaldoService.h"
#include "server/Users.h"

namespace {

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return 0;
}

std::string Request(std::size_t bytes) {
    const char* accounts[] = {"2.1.1.01.0001", "2.1.1.01.0002", "2.1.1.02.0001"};
    constexpr int kSuppliers = 695;  // G000001.. made by --scale 100000
    std::string line =
        R"({"jsonrpc":"2.0","id":2,"method":"Rdq63500.rdmSaldComer.SetSaldComer","params":["01","",{"fields":[{"name":"DTIMPSALDO","type":"datetime"},{"name":"CDCONTCTBL","type":"string","size":16},{"name":"NMCONTCTBL","type":"string","size":40},{"name":"NMRAZAOSOCIAL","type":"string","size":50},{"name":"VRIMPSALDO","type":"double"},{"name":"TIPSALDO","type":"fixedstring","size":3},{"name":"CDEMPRESA","type":"string","size":2},{"name":"IDSALDCOME","type":"string","size":1},{"name":"CDSALDCOME","type":"string","size":21},{"name":"NRINSJUR","type":"string","size":20},{"name":"IDTPIJUR","type":"string","size":1}],"changes":[)";
    line.reserve(bytes + 1000);
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (long n = 0; line.size() < bytes; ++n) {
        const long supplier = n % kSuppliers, rest = n / kSuppliers;
        const long month = rest / 3;
        const int year = 1900 + static_cast<int>(month / 12),
                  mon = static_cast<int>(month % 12) + 1;
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        const int last = mon == 2 && leap ? 29 : kDays[mon - 1];
        char row[400];
        std::snprintf(
            row, sizeof row,
            R"(%s{"kind":"inserted","new":["%04d-%02d-%02d","%s","Fornecedores Nacionais","Fornecedor de Teste %06ld Ltda.",%ld.%02ld,"Não","01","F","G%06ld","12.345.678/0001-90","J"]})",
            n == 0 ? "" : ",", year, mon, last, accounts[rest % 3], supplier + 1,
            n * 37 % 1000000 / 100, n * 37 % 100, supplier + 1);
        line += row;
    }
    line += "]}]}";
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s sqlite:PATH [SIZE_MB]\n", argv[0]);
        return 2;
    }
    const std::size_t megabytes = argc > 2 ? std::stoul(argv[2]) : 200;
    db::ConnectionPool pool(argv[1], 1);
    server::SaldoService service(pool);
    rpc::Dispatcher dispatcher;
    server::Identification identification(pool, nullptr);
    server::RegisterMethods(dispatcher, service, identification, nullptr);
    // The call is measured as an identified user makes it.
    {
        auto connection = db::Connection::Open(argv[1]);
        server::Users users(*connection);
        if (!users.Find("bench")) users.Add("bench", std::nullopt, {{"*", server::Right::Write}});
    }
    rpc::Connection origin{rpc::Transport::Tcp, "bench", std::nullopt,
                           server::Identity{"bench", {}, false}};
    const std::string line = Request(megabytes * 1000 * 1000);
    const long before = StatusKb("VmRSS");
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak to the current size
    const auto start = std::chrono::steady_clock::now();
    const std::string reply = dispatcher.Handle(line, &origin);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peak = StatusKb("VmHWM");
    std::printf("request line: %.1f MB; reply: %.120s; %.1f s\n", line.size() / 1e6, reply.c_str(),
                seconds);
    std::printf(
        "resident before the call: %.1f MB; peak during it: %.1f MB; added: %.2f x the line\n",
        before / 1e3, peak / 1e3, (peak - before) * 1e3 / static_cast<double>(line.size()));
    return 0;
}

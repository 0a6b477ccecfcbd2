// Record-set figures on 1,000,000 balance rows: loading a record packet (against parsing
// the same JSON alone), switching the implanted filter, the change packet and merge after
// one insert, and the memory a loaded row takes.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/data/ClientDataSet.h"

using namespace platform;

namespace {

constexpr int kRows = 1'000'000;

std::unique_ptr<ClientDataSet> MakeSet() {
    auto set = std::make_unique<ClientDataSet>("cdsSaldForn");
    set->AddField("DTIMPSALDO", FieldType::DateTime);
    set->AddField("CDCONTCTBL", FieldType::String, 16);
    set->AddField("NMCONTCTBL", FieldType::String, 40);
    set->AddField("NMRAZAOSOCIAL", FieldType::String, 50);
    set->AddField("VRIMPSALDO", FieldType::Double);
    set->AddField("TIPSALDO", FieldType::FixedString, 3);
    set->AddField("CDEMPRESA", FieldType::String, 2);
    set->AddField("IDSALDCOME", FieldType::String, 1);
    set->AddField("CDSALDCOME", FieldType::String, 21);
    set->AddField("NRINSJUR", FieldType::String, 20);
    set->AddField("IDTPIJUR", FieldType::String, 1);
    return set;
}

// A balance packet of `rows` rows, as the server writes it.
std::string MakePacket(int rows) {
    std::string text = R"({"fields":[{"name":"DTIMPSALDO","type":"datetime"},)"
                       R"({"name":"CDCONTCTBL","type":"string","size":16},)"
                       R"({"name":"NMCONTCTBL","type":"string","size":40},)"
                       R"({"name":"NMRAZAOSOCIAL","type":"string","size":50},)"
                       R"({"name":"VRIMPSALDO","type":"double"},)"
                       R"({"name":"TIPSALDO","type":"fixedstring","size":3},)"
                       R"({"name":"CDEMPRESA","type":"string","size":2},)"
                       R"({"name":"IDSALDCOME","type":"string","size":1},)"
                       R"({"name":"CDSALDCOME","type":"string","size":21},)"
                       R"({"name":"NRINSJUR","type":"string","size":20},)"
                       R"({"name":"IDTPIJUR","type":"string","size":1}],"rows":[)";
    char row[512];
    for (int i = 0; i < rows; ++i) {
        const int n = std::snprintf(
            row, sizeof row,
            R"(%s["20%02d-%02d-28","1.1.2.%02d.%04d","Fornecedores nacionais %d","Fornecedor Exemplo Ltda %d",%d.%02d,"%s","01","F","%06d","12.345.678/0001-%02d","J"])",
            i == 0 ? "" : ",", 10 + i % 15, 1 + i % 12, i % 100, i % 10000, i % 500, i,
            (i * 7919) % 1000000 - 500000, i % 100, i % 3 == 0 ? "Não" : "Sim", i, i % 100);
        text.append(row, static_cast<std::size_t>(n));
    }
    return text + "]}";
}

const std::string& Packet() {
    static const std::string text = MakePacket(kRows);
    return text;
}

void BM_ParseJsonOnly(benchmark::State& state) {
    const std::string& text = Packet();
    for (auto _ : state) {
        nlohmann::json parsed = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(parsed);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ParseJsonOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadPacketText(benchmark::State& state) {
    const std::string& text = Packet();
    for (auto _ : state) {
        state.PauseTiming();
        auto set = MakeSet();
        state.ResumeTiming();
        set->LoadFromText(text);
        benchmark::DoNotOptimize(set->RecordCount());
        state.PauseTiming();
        set.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_LoadPacketText)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadPacketParsed(benchmark::State& state) {
    const nlohmann::json parsed = nlohmann::json::parse(Packet());
    for (auto _ : state) {
        state.PauseTiming();
        auto set = MakeSet();
        state.ResumeTiming();
        set->SetData(parsed);
        benchmark::DoNotOptimize(set->RecordCount());
        state.PauseTiming();
        set.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_LoadPacketParsed)->Unit(benchmark::kMillisecond)->Iterations(3);

// Memory a loaded row takes, measured by the allocator, against the row's packet text.
void BM_MemoryPerRow(benchmark::State& state) {
    const std::string& text = Packet();
    double heapPerRow = 0, ownPerRow = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        auto set = MakeSet();
        set->LoadFromText(text);
        const std::size_t after = mallinfo2().uordblks;
        heapPerRow = static_cast<double>(after - before) / kRows;
        ownPerRow = static_cast<double>(set->MemoryUsage()) / kRows;
    }
    const double textPerRow = static_cast<double>(text.size()) / kRows;
    state.counters["heap_bytes_per_row"] = heapPerRow;
    state.counters["counted_bytes_per_row"] = ownPerRow;
    state.counters["packet_bytes_per_row"] = textPerRow;
    state.counters["ratio_to_packet"] = heapPerRow / textPerRow;
}
BENCHMARK(BM_MemoryPerRow)->Unit(benchmark::kMillisecond)->Iterations(1);

std::unique_ptr<ClientDataSet> LoadedSet(int rows) {
    auto set = MakeSet();
    set->LoadFromText(rows == kRows ? Packet() : MakePacket(rows));
    return set;
}

void BM_FilterSwitch(benchmark::State& state) {
    auto set = LoadedSet(kRows);
    set->SetFilter("TIPSALDO = 'Sim'");
    set->SetFiltered(true);
    bool sim = false;
    for (auto _ : state) {
        set->SetFilter(sim ? "TIPSALDO = 'Sim'" : "TIPSALDO = 'Não'");
        sim = !sim;
        benchmark::DoNotOptimize(set->RecordCount());
    }
    state.counters["visible_rows"] = set->RecordCount();
}
BENCHMARK(BM_FilterSwitch)->Unit(benchmark::kMillisecond);

// One insert posted before each measured Delta + MergeChangeLog; the set's size varies to
// show that the cost does not follow it.
void BM_DeltaAndMergeAfterOneInsert(benchmark::State& state) {
    auto set = LoadedSet(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        set->First();
        set->Insert();
        set->FieldByName("CDCONTCTBL").SetAsString("9.9.9.99.9999");
        set->FieldByName("VRIMPSALDO").SetAsFloat(123.45);
        set->Post();
        state.ResumeTiming();
        nlohmann::json delta = set->Delta();
        benchmark::DoNotOptimize(delta);
        set->MergeChangeLog();
    }
}
BENCHMARK(BM_DeltaAndMergeAfterOneInsert)
    ->Arg(1000)
    ->Arg(kRows)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();

// The grid peer over 1,000,000 balance rows, on Qt's offscreen platform: the time until the
// rows are shown once the set is bound, and the time of one scroll (to the last row, one page
// up), each including the paint of the visible cells through the fields' text hooks.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <memory>

#include "host/MainWindow.h"
#include "host/Module.h"
#include "host/Shell.h"
#include "platform/app/Application.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/text/DateTime.h"
#include "platform/text/TextFunctions.h"
#include "platform/ui/DBGrid.h"

namespace {

using namespace platform;

constexpr int kRows = 1'000'000;

struct Scene {
    ClientDataSet set;
    DataSource source;
    Application app;
    host::ModuleTable modules{{}};
    host::MainWindow window{modules};
    host::Shell shell{window, app};
    Form* form = nullptr;
    QTableView* view = nullptr;

    Scene() {
        set.AddField("DTIMPSALDO", FieldType::DateTime).SetDisplayFormat("mm/yyyy");
        set.AddField("CDCONTCTBL", FieldType::String, 16);
        set.AddField("NMCONTCTBL", FieldType::String, 40);
        auto& value = set.AddField("VRIMPSALDO", FieldType::Double);
        // The screen's kind of hook: a formatted amount with its credit/debit mark.
        value.OnGetText = [](Field& field, std::string& text, bool) {
            const double v = field.AsFloat();
            text = FormatFloat("#,##0.00", v < 0 ? -v : v) + (v < 0 ? " DB" : " CR");
        };
        set.AddField("TIPSALDO", FieldType::FixedString, 3);
        set.CreateDataSet();
        for (int i = 0; i < kRows; ++i)
            set.AddRow({EncodeDate(2024, 1 + i % 12, 28), "2.1.1.01.0001", "Fornecedores Nacionais",
                        (i % 7 - 3) * 1234.5, i % 3 == 0 ? "Não" : "Sim"});
        set.First();
        source.SetEnabled(false);
        source.SetDataSet(&set);
        form = app.CreateForm<Form>();
        form->SetFormStyle(FormStyle::MDIChild);
        form->SetBounds(0, 0, 1000, 560);
        auto* grid = form->Create<DBGrid>();
        grid->SetName("dbgPadrao");
        grid->SetParent(form);
        grid->SetAlign(Align::Client);
        grid->SetDataSource(&source);
        window.resize(1100, 700);
        window.show();
        form->Show();
        QApplication::processEvents();
        view = window.findChild<QTableView*>("dbgPadrao");
    }
    ~Scene() {
        for (Form* f : app.Forms()) f->Release();
        app.ProcessMessages();
    }
};

// Built in main, after the QApplication, and gone before it.
Scene* scene_ = nullptr;
Scene& TheScene() { return *scene_; }

void Paint(QTableView* view) { view->viewport()->repaint(); }

// Switching the data link on (what the screen does after the packet is loaded) until the
// first page of rows is painted.
void BM_ShowMillionRows(benchmark::State& state) {
    Scene& scene = TheScene();
    for (auto _ : state) {
        scene.source.SetEnabled(false);
        scene.source.SetEnabled(true);
        Paint(scene.view);
    }
    state.counters["rows"] = scene.view->model()->rowCount();
}
BENCHMARK(BM_ShowMillionRows)->Unit(benchmark::kMillisecond);

// One scroll: to the last row and back to the top, alternately, with the paint.
void BM_ScrollToLastRow(benchmark::State& state) {
    Scene& scene = TheScene();
    scene.source.SetEnabled(true);
    bool bottom = false;
    for (auto _ : state) {
        bottom = !bottom;
        if (bottom)
            scene.view->scrollToBottom();
        else
            scene.view->scrollToTop();
        Paint(scene.view);
    }
}
BENCHMARK(BM_ScrollToLastRow)->Unit(benchmark::kMillisecond);

// Moving the current row to the last one through the framework (the navigator's Last).
void BM_CursorToLastRow(benchmark::State& state) {
    Scene& scene = TheScene();
    scene.source.SetEnabled(true);
    bool last = false;
    for (auto _ : state) {
        last = !last;
        if (last)
            scene.set.Last();
        else
            scene.set.First();
        Paint(scene.view);
    }
}
BENCHMARK(BM_CursorToLastRow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    auto scene = std::make_unique<Scene>();
    scene_ = scene.get();
    benchmark::RunSpecifiedBenchmarks();
    scene.reset();
    benchmark::Shutdown();
    return 0;
}

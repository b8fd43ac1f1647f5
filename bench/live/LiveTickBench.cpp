// CPU time of one live-display poll tick, repaint included: the window is
// shown on the offscreen platform and the events a tick posts (the repaint of
// what changed) are processed inside the timed loop. The virtual ECU's clock
// advances 100 ms per tick, as it would in use; the second case keeps it
// still, so that nothing on screen changes.
#include "LiveBenchSetup.h"
#include "TFormVisualizza.h"

#include <QApplication>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

using lumex::app::TFormVisualizza;
using lumex::bench::LiveBenchSetup;

void RunTicks(benchmark::State& state, std::int64_t stepMs)
{
    std::int64_t now = 0;
    LiveBenchSetup setup([&now] { return now; });
    TFormVisualizza window;
    window.Timer1->stop();
    window.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        now += stepMs;
        window.Timer1Timer();
        QCoreApplication::processEvents();
    }
}

void BM_LivePollTick(benchmark::State& state) { RunTicks(state, 100); }
void BM_LivePollTickNothingChanged(benchmark::State& state) { RunTicks(state, 0); }

BENCHMARK(BM_LivePollTick)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_LivePollTickNothingChanged)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

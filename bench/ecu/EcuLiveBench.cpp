// What one poll of the live display costs the virtual ECU: the engine model
// catching up 100 ms (ten steps) and filling a page. The display polls ten
// times a second for hours, so this must stay in the microseconds.

#include "VirtualEcu.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>

namespace {

void BM_LivePollTick(benchmark::State& state)
{
    auto now = std::make_shared<std::int64_t>(0);
    lumex::VirtualEcu ecu(1, [now] { return *now; });
    ecu.OpenPort();
    ecu.Connect();
    std::array<std::uint8_t, lumex::kLivePageLength> page{};
    int tick = 0;
    for (auto _ : state) {
        *now += 100;
        int length = lumex::kLivePageLength;
        ecu.ReadLive(0, page.data(), length);
        if (++tick % 11 == 0) ecu.ReadLive(1, page.data(), length);
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(BM_LivePollTick);

// An hour of engine time at once, as after a laptop wakes from sleep.
void BM_CatchUpOneHour(benchmark::State& state)
{
    for (auto _ : state) {
        auto now = std::make_shared<std::int64_t>(0);
        lumex::VirtualEcu ecu(1, [now] { return *now; });
        ecu.OpenPort();
        ecu.Connect();
        *now += 3600 * 1000;
        std::array<std::uint8_t, lumex::kLivePageLength> page{};
        int length = lumex::kLivePageLength;
        ecu.ReadLive(0, page.data(), length);
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(BM_CatchUpOneHour)->Unit(benchmark::kMillisecond);

}  // namespace

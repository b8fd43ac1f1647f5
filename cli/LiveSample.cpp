#include "LiveSample.h"

#include "Conversions.h"
#include "NumberText.h"

#include <cmath>

namespace lumex::cli {

LiveSample DecodeLive(const LivePage& page0, const LivePage& page1)
{
    LiveSample s;
    s.rpm = static_cast<int>(PeriodToRpm(page0[0]));
    s.lambdaHundredths = Hundredths(page0[1]);
    s.tpsHundredths = Hundredths(page0[2]);
    s.tpsZone = page0[3] & 3;
    s.lambdaState = (page0[3] >> 4) & 3;
    s.atUpperLimit = (page0[4] & 128) != 0;
    s.atLowerLimit = (page0[4] & 64) != 0;
    s.cutOff = (page0[4] & 4) != 0;
    s.actuatorPosition = page0[5];

    // 0 and the no-sensor reading both mean there is no temperature to show.
    if (page1[0] != 0) {
        const double celsius = Celsius(page1[0]);
        if (celsius != kNoSensorCelsius) s.celsius = static_cast<int>(std::trunc(celsius));
    }
    s.gasLevel = page1[1];
    s.onGas = (page1[2] & 8) != 0;
    return s;
}

std::optional<LiveSample> TakeSample(EcuLink& link)
{
    LivePage pages[2] = {};
    for (int page = 0; page < 2; ++page) {
        int length = kLivePageLength;
        if (!link.ReadLive(page, pages[page], length)) return std::nullopt;
    }
    return DecodeLive(pages[0], pages[1]);
}

namespace {

std::string FlagsText(const LiveSample& s)
{
    std::string flags;
    const auto add = [&flags](bool on, const char* name) {
        if (!on) return;
        if (!flags.empty()) flags += ',';
        flags += name;
    };
    add(s.atUpperLimit, "upper");
    add(s.atLowerLimit, "lower");
    add(s.cutOff, "cutoff");
    return flags.empty() ? "-" : flags;
}

}  // namespace

std::string FormatSample(const LiveSample& s)
{
    std::string line = "rpm " + FormatInt(s.rpm);
    line += "  lambda " + FormatHundredths(s.lambdaHundredths) + " V";
    line += "  tps " + FormatHundredths(s.tpsHundredths) + " V zone " + FormatInt(s.tpsZone);
    line += "  actuator " + FormatInt(s.actuatorPosition) + " " + FlagsText(s);
    line += "  temp " + (s.celsius ? FormatInt(*s.celsius) + " °C" : std::string("n/a"));
    line += "  level " + FormatInt(s.gasLevel);
    line += s.onGas ? "  gas" : "  petrol";
    return line;
}

}  // namespace lumex::cli

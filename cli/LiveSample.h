#pragma once
// One sample of the ECU's live values, decoded from the two live pages into
// user units, and its one-line text for `monitor`. Decoding is pure; Take
// calls the link. Main thread only (the link's thread).

#include "EcuLink.h"

#include <cstdint>
#include <optional>
#include <string>

namespace lumex::cli {

struct LiveSample {
    int rpm = 0;
    int lambdaHundredths = 0;   // lambda probe voltage, hundredths of a volt
    int tpsHundredths = 0;      // throttle position voltage
    int tpsZone = 0;            // 0..3
    int lambdaState = 0;        // 0..3
    int actuatorPosition = 0;   // steps
    bool atUpperLimit = false;
    bool atLowerLimit = false;
    bool cutOff = false;
    std::optional<int> celsius; // nullopt: no sensor value
    int gasLevel = 0;
    bool onGas = false;
};

using LivePage = std::uint8_t[kLivePageLength];

LiveSample DecodeLive(const LivePage& page0, const LivePage& page1);
// Reads both pages; nullopt when the link refuses either.
std::optional<LiveSample> TakeSample(EcuLink& link);

// "rpm 850  lambda 0.45 V  tps 0.62 V zone 0  actuator 100 -  temp 45 °C
//  level 120  petrol" (one line; numbers always with '.').
std::string FormatSample(const LiveSample& sample);

}  // namespace lumex::cli

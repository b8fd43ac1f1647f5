#pragma once
// The parameter catalogue: for every ParamIndex 0..74 its name, storage,
// ParamDescriptor and factory default. Constant data, safe from any thread.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lumex {

using ParamIndex = std::int32_t;
using ParamDescriptor = std::uint32_t;

inline constexpr double NoValue = 800000.0;
inline constexpr std::int32_t NoValueWord = 800000;
inline constexpr int kParamCount = 75;          // indices 0..74
inline constexpr int kFileParamCount = 73;      // indices 0..72 go into a file
inline constexpr int kStorageWords = 70;
inline constexpr std::uint32_t kMultiValueBit = 256;

// Indices of the parameters that have a name (see the catalogue table).
enum Param : ParamIndex {
    OptionFlags = 1, IgnitionType = 2, TpsType = 3, LambdaType = 4,
    EmulHighTime = 5, EmulLowTime = 6, EmulTristateTime = 7, EmulWaveCount = 8,
    IdleOpenStepTime = 9, IdleCloseStepTime = 10, CruiseOpenStepTime = 12,
    CruiseCloseStepTime = 13, PowerOpenStepTime = 14, PowerCloseStepTime = 15,
    PowerUnfloodStepTime = 16, IdleEntryPosition = 17, IdleExitPosition = 18,
    OffIdleOpenSteps = 19, DecelSettings = 22, BoschHysteresis = 23,
    IdleTpsHysteresis = 24, TpsThresholds = 25, LambdaReferences = 27,
    CruiseLambdaRef = 28, LambdaRefOffset = 30, IdleOpenStepsMax = 31,
    IdleCloseStepsMax = 32, OffIdleOpenStepsMax = 33, OffIdleCloseStepsMax = 34,
    ActuatorLowerLimit = 35, ActuatorUpperLimit = 36, KickdownTps = 38,
    KickdownPosition = 39, DefaultPosition = 40, CutOffEndRpm = 41,
    CutOffPosition = 42, OpenLoopPosition = 43, LeanStepsOnRich = 44,
    RichStepsOnLean = 45, PowerAsIdle = 46, PowerRpm = 48, LambdaReadDelay = 51,
    DiagnosticsEnable = 52, DiagnosticsErrors = 53, FuelOverlapTime = 54,
    ColdLambdaPosition = 55, ChangeoverRpm = 56, OverlapTimeMs = 57,
    ChangeoverTemp = 58, LevelSensorType = 59, LevelSensorTable = 60,
    GaugeOutputTable = 61, OverRevRpm = 62, ChangeoverMode = 63,
    RpmSignalType = 64, YellowWireUse = 65, LowLevelReturn = 66,
    FixedDefault = 67, FixedIdleTps = 68, RichWhenCorrect = 69,
    DecelBandWidth = 70, DecelExitTime = 71, CustomerCode = 72,
    SwitchType = 73, GasStartTemp = 74,
};

struct ParamInfo {
    std::string_view name;          // empty for indices without a parameter
    int elements;                   // storage words of its own (0: none)
    ParamDescriptor descriptor;
    std::array<std::int32_t, 6> defaults;  // raw factory defaults per element
    int storage;                    // first storage word, -1 when none
};

// The catalogue row of an index; nullopt outside 0..74.
std::optional<ParamInfo> CatalogueEntry(ParamIndex index);
// Shorthands on the catalogue (0 / -1 outside 0..74).
ParamDescriptor DescriptorOf(ParamIndex index);
int StorageOf(ParamIndex index);
int ElementsOf(ParamIndex index);

// Looks a parameter up by its name ("ChangeoverRpm"); -1 when unknown.
ParamIndex IndexOfName(std::string_view name);

}  // namespace lumex

#include "Catalogue.h"

namespace lumex {
namespace {

// Storage words follow the record's fixed layout (first word of each
// parameter); index 73 is the whole SwitchType word.
constexpr std::array<ParamInfo, kParamCount> kCatalogue = {{
    /* 0 */ {"", 0, 256, {}, -1},
    /* 1 */ {"OptionFlags", 1, 1, {0}, 0},
    /* 2 */ {"IgnitionType", 1, 2, {50}, 1},
    /* 3 */ {"TpsType", 1, 3, {0}, 8},
    /* 4 */ {"LambdaType", 1, 4, {0}, 16},
    /* 5 */ {"EmulHighTime", 1, 5, {18}, 18},
    /* 6 */ {"EmulLowTime", 1, 6, {18}, 19},
    /* 7 */ {"EmulTristateTime", 1, 519, {0}, 20},
    /* 8 */ {"EmulWaveCount", 1, 8, {1}, 21},
    /* 9 */ {"IdleOpenStepTime", 1, 9, {60}, 42},
    /* 10 */ {"IdleCloseStepTime", 1, 10, {80}, 43},
    /* 11 */ {"", 0, 11, {}, -1},
    /* 12 */ {"CruiseOpenStepTime", 1, 12, {40}, 51},
    /* 13 */ {"CruiseCloseStepTime", 1, 13, {60}, 52},
    /* 14 */ {"PowerOpenStepTime", 1, 14, {20}, 64},
    /* 15 */ {"PowerCloseStepTime", 1, 15, {80}, 65},
    /* 16 */ {"PowerUnfloodStepTime", 1, 16, {40}, 66},
    /* 17 */ {"IdleEntryPosition", 1, 17, {0}, 44},
    /* 18 */ {"IdleExitPosition", 1, 18, {5}, 55},
    /* 19 */ {"OffIdleOpenSteps", 1, 19, {250}, 61},
    /* 20 */ {"", 0, 20, {}, -1},
    /* 21 */ {"", 0, 21, {}, -1},
    /* 22 */ {"DecelSettings", 1, 22, {251}, 58},
    /* 23 */ {"BoschHysteresis", 1, 23, {102}, 34},
    /* 24 */ {"IdleTpsHysteresis", 1, 24, {7}, 35},
    /* 25 */ {"TpsThresholds", 3, 12569, {0, 102, 178}, 45},
    /* 26 */ {"", 0, 26, {}, -1},
    /* 27 */ {"LambdaReferences", 2, 8475, {28, 0}, 48},
    /* 28 */ {"CruiseLambdaRef", 1, 28, {28}, 50},
    /* 29 */ {"", 0, 29, {}, -1},
    /* 30 */ {"LambdaRefOffset", 1, 30, {40}, 60},
    /* 31 */ {"IdleOpenStepsMax", 1, 31, {25}, 28},
    /* 32 */ {"IdleCloseStepsMax", 1, 32, {25}, 29},
    /* 33 */ {"OffIdleOpenStepsMax", 1, 33, {40}, 30},
    /* 34 */ {"OffIdleCloseStepsMax", 1, 34, {40}, 31},
    /* 35 */ {"ActuatorLowerLimit", 1, 35, {0}, 27},
    /* 36 */ {"ActuatorUpperLimit", 1, 36, {255}, 26},
    /* 37 */ {"", 0, 37, {}, -1},
    /* 38 */ {"KickdownTps", 1, 38, {255}, 25},
    /* 39 */ {"KickdownPosition", 1, 39, {100}, 24},
    /* 40 */ {"DefaultPosition", 1, 40, {100}, 23},
    /* 41 */ {"CutOffEndRpm", 1, 41, {12}, 32},
    /* 42 */ {"CutOffPosition", 1, 42, {80}, 33},
    /* 43 */ {"OpenLoopPosition", 1, 43, {0}, 57},
    /* 44 */ {"LeanStepsOnRich", 1, 44, {0}, 54},
    /* 45 */ {"RichStepsOnLean", 1, 45, {1}, 53},
    /* 46 */ {"PowerAsIdle", 1, 46, {4}, 67},
    /* 47 */ {"", 0, 47, {}, -1},
    /* 48 */ {"PowerRpm", 1, 48, {30}, 56},
    /* 49 */ {"", 0, 49, {}, -1},
    /* 50 */ {"", 0, 50, {}, -1},
    /* 51 */ {"LambdaReadDelay", 1, 51, {1}, 17},
    /* 52 */ {"DiagnosticsEnable", 1, 52, {0}, 63},
    /* 53 */ {"DiagnosticsErrors", 1, 53, {0}, 62},
    /* 54 */ {"FuelOverlapTime", 1, 54, {20}, 7},
    /* 55 */ {"ColdLambdaPosition", 1, 55, {0}, 59},
    /* 56 */ {"ChangeoverRpm", 1, 56, {60}, 6},
    /* 57 */ {"OverlapTimeMs", 1, 54, {5}, 4},
    /* 58 */ {"ChangeoverTemp", 1, 58, {156}, 5},
    /* 59 */ {"LevelSensorType", 1, 59, {129}, 9},
    /* 60 */ {"LevelSensorTable", 6, 24892, {25, 55, 114, 161, 215, 225}, 10},
    /* 61 */ {"GaugeOutputTable", 6, 24893, {20, 50, 100, 150, 200, 250}, 36},
    /* 62 */ {"OverRevRpm", 1, 62, {12}, 3},
    /* 63 */ {"ChangeoverMode", 1, 63, {0}, 2},
    /* 64 */ {"RpmSignalType", 0, 1, {}, -1},
    /* 65 */ {"YellowWireUse", 0, 1, {}, -1},
    /* 66 */ {"LowLevelReturn", 1, 57, {0}, 22},
    /* 67 */ {"FixedDefault", 0, 1, {}, -1},
    /* 68 */ {"FixedIdleTps", 0, 1, {}, -1},
    /* 69 */ {"RichWhenCorrect", 0, 1, {}, -1},
    /* 70 */ {"DecelBandWidth", 0, 22, {}, -1},
    /* 71 */ {"DecelExitTime", 0, 22, {}, -1},
    /* 72 */ {"CustomerCode", 0, 64, {}, -1},
    /* 73 */ {"SwitchType", 1, 66, {0}, 68},
    /* 74 */ {"GasStartTemp", 1, 68, {51}, 69},
}};

}  // namespace

std::optional<ParamInfo> CatalogueEntry(ParamIndex index)
{
    if (index < 0 || index >= kParamCount) return std::nullopt;
    return kCatalogue[static_cast<std::size_t>(index)];
}

ParamDescriptor DescriptorOf(ParamIndex index)
{
    const auto entry = CatalogueEntry(index);
    return entry ? entry->descriptor : 0;
}

int StorageOf(ParamIndex index)
{
    const auto entry = CatalogueEntry(index);
    return entry ? entry->storage : -1;
}

int ElementsOf(ParamIndex index)
{
    const auto entry = CatalogueEntry(index);
    return entry ? entry->elements : 0;
}

ParamIndex IndexOfName(std::string_view name)
{
    if (name.empty()) return -1;
    for (ParamIndex i = 0; i < kParamCount; ++i)
        if (kCatalogue[static_cast<std::size_t>(i)].name == name) return i;
    return -1;
}

}  // namespace lumex

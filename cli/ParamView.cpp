#include "ParamView.h"

#include "NumberText.h"

#include <array>
#include <cmath>
#include <string_view>

namespace lumex::cli {
namespace {

// The choice-list texts the editors show for each list position.
constexpr std::array<std::string_view, 7> kIgnitionTexts = {
    "3 Cilindri", "4 Cilindri", "5 Cilindri", "6 Cilindri", "8 Cilindri",
    "monoBobina", "biBobina"};
constexpr std::array<std::string_view, 6> kTpsTexts = {
    "lineare 0-5V", "lineare 5-0V", "switch 0-12V", "switch 12-0V", "mono Bosch",
    "adapter"};
constexpr std::array<std::string_view, 6> kLambdaTexts = {
    "0-1 V", "0-5 V (tipo A)", "0-5 V (tipo B)", "5-0 V (tipo A)", "5-0 V (tipo B)",
    "0.8 - 1.6 V"};
constexpr std::array<std::string_view, 4> kChangeoverTexts = {
    "Decelerazione col TPS", "Accelerazione", "Decelerazione coi giri", "Partenza a Gas"};

template <std::size_t N>
std::string ListText(const std::array<std::string_view, N>& texts, double position)
{
    if (position < 0 || position >= static_cast<double>(N)) return "unknown code";
    return std::string(texts[static_cast<std::size_t>(position)]);
}

std::string ChoiceText(std::string_view clear, std::string_view set, double value)
{
    return std::string(value != 0 ? set : clear);
}

bool IsOptionBitView(ParamIndex index)
{
    return index == RpmSignalType || index == YellowWireUse || index == FixedDefault ||
           index == FixedIdleTps || index == RichWhenCorrect;
}

bool IsDecelView(ParamIndex index)
{
    return index == DecelBandWidth || index == DecelExitTime;
}

std::string UnitOf(ParamIndex index)
{
    switch (index) {
    case EmulHighTime: case EmulLowTime: case OverlapTimeMs: case DecelExitTime:
        return "ms";
    case EmulTristateTime: case FuelOverlapTime:
        return "s";
    case BoschHysteresis: case IdleTpsHysteresis: case TpsThresholds:
    case LambdaReferences: case CruiseLambdaRef: case LambdaRefOffset: case KickdownTps:
        return "V";
    case CutOffEndRpm: case PowerRpm: case ChangeoverRpm: case OverRevRpm:
        return "rpm";
    case ChangeoverTemp: case GasStartTemp:
        return "°C";
    default:
        return "";
    }
}

std::string TextOf(ParamIndex index, double value)
{
    switch (index) {
    case IgnitionType: return ListText(kIgnitionTexts, value);
    case TpsType: return ListText(kTpsTexts, value);
    case LambdaType: return ListText(kLambdaTexts, value);
    case ChangeoverMode: return ListText(kChangeoverTexts, value);
    // The level-sensor list has no texts of its own (the vehicle window
    // maps its choices onto the positions); only an unknown code is named.
    case LevelSensorType: return value < 0 ? "unknown code" : "";
    case RpmSignalType: return ChoiceText("standard", "debole", value);
    case YellowWireUse: return ChoiceText("Stacca Iniettori", "Stacca Memoria", value);
    case SwitchType: return ChoiceText("Deviatore", "Pulsante", value);
    default: return "";
    }
}

}  // namespace

bool IsReported(ParamIndex index)
{
    if (index < 0 || index >= kParamCount) return false;
    return StorageOf(index) >= 0 || IsOptionBitView(index) || IsDecelView(index);
}

std::vector<ParamIndex> ReportedIndices()
{
    std::vector<ParamIndex> indices;
    for (ParamIndex i = 0; i < kParamCount; ++i)
        if (IsReported(i)) indices.push_back(i);
    return indices;
}

std::vector<std::int32_t> WordsBehind(const ConfCar& car, ParamIndex index)
{
    ParamIndex owner = index;
    if (IsOptionBitView(index)) owner = OptionFlags;
    if (IsDecelView(index)) owner = DecelSettings;
    const std::int32_t* first = car.MemberOf(owner);
    if (first == nullptr) return {};
    return std::vector<std::int32_t>(first, first + ElementsOf(owner));
}

ParamReport Describe(ConfCar& car, ParamIndex index)
{
    ParamReport report;
    report.index = index;
    if (const auto entry = CatalogueEntry(index)) report.name = entry->name;
    report.raw = WordsBehind(car, index);
    report.rawIsHolder = StorageOf(index) < 0 && !report.raw.empty();
    report.unit = UnitOf(index);

    // Multi-value parameters are read element by element; all others have
    // one user value (bit views read their bit).
    const int elements = ElementsOf(index);
    report.multiValue = CodeIsMulti(DescriptorOf(index));
    if (report.multiValue) {
        for (int e = 0; e < elements; ++e) report.values.push_back(car.ReadItem(index, e));
    } else {
        report.values.push_back(car.ReadValue(index));
        report.text = TextOf(index, report.values.front());
    }
    return report;
}

std::string ValueText(const ParamReport& report)
{
    std::string text;
    for (const double value : report.values) {
        if (!text.empty()) text += ' ';
        text += FormatNumber(value);
    }
    if (!report.unit.empty()) text += ' ' + report.unit;
    if (!report.text.empty()) text += ' ' + report.text;
    return text;
}

std::string RawText(const std::vector<std::int32_t>& words)
{
    std::string text;
    for (const std::int32_t word : words) {
        if (!text.empty()) text += ' ';
        text += FormatInt(word);
    }
    return text;
}

}  // namespace lumex::cli

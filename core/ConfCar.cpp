#include "ConfCar.h"

#include "ConfFile.h"
#include "Conversions.h"
#include "OfflineLink.h"

#include <algorithm>
#include <initializer_list>

namespace lumex {
namespace {

// What the record talks to while no link is attached: nothing is connected
// and every write is refused, so nothing is ever stored unconfirmed.
EcuLink& RefusingLink()
{
    static OfflineLink offline(OfflineLink::Writes::RefuseAll);
    return offline;
}

EcuLink& LinkOf(const ConfCar& record)
{
    return record.Link() ? *record.Link() : RefusingLink();
}

// Bits of OptionFlags and of the SwitchType word behind the option views.
constexpr std::int32_t kTableEnableBit = 32;
constexpr std::int32_t kSwitchTypeBit = 4;

std::int32_t OptionBitOf(ParamIndex index)
{
    switch (index) {
    case RpmSignalType: return 16;
    case YellowWireUse: return 8;
    case FixedDefault: return 1;
    case FixedIdleTps: return 4;
    case RichWhenCorrect: return 2;
    default: return 0;
    }
}

std::span<const std::int32_t> CodeListOf(ParamIndex index)
{
    switch (index) {
    case IgnitionType: return kIgnitionCodes;
    case TpsType: return kTpsCodes;
    case LambdaType: return kLambdaCodes;
    case LevelSensorType: return kLevelSensorCodes;
    default: return {};
    }
}

bool IsRawParam(ParamIndex index)
{
    switch (index) {
    case EmulWaveCount: case IdleOpenStepTime: case IdleCloseStepTime:
    case CruiseOpenStepTime: case CruiseCloseStepTime: case PowerOpenStepTime:
    case PowerCloseStepTime: case PowerUnfloodStepTime: case IdleEntryPosition:
    case IdleExitPosition: case OffIdleOpenSteps: case DecelSettings:
    case IdleOpenStepsMax: case IdleCloseStepsMax: case OffIdleOpenStepsMax:
    case OffIdleCloseStepsMax: case ActuatorLowerLimit: case ActuatorUpperLimit:
    case KickdownPosition: case DefaultPosition: case CutOffPosition:
    case OpenLoopPosition: case LeanStepsOnRich: case RichStepsOnLean:
    case PowerAsIdle: case DiagnosticsEnable: case DiagnosticsErrors:
    case ColdLambdaPosition:
        return true;
    default:
        return false;
    }
}

bool IsPeriodCoded(ParamIndex index)
{
    return index == CutOffEndRpm || index == PowerRpm || index == ChangeoverRpm ||
           index == OverRevRpm;
}

bool IsElementParam(ParamIndex index, int element)
{
    const bool tabled = index == TpsThresholds || index == LambdaReferences ||
                        index == LevelSensorTable || index == GaugeOutputTable;
    return tabled && element >= 0 && element < ElementsOf(index);
}

constexpr int kTableSize = 6;

bool IsSixWordTable(ParamIndex index)
{
    return index == LevelSensorTable || index == GaugeOutputTable;
}

}  // namespace

std::string FileStatus::Describe(const std::string& fileName) const
{
    if (line > 0) return fileName + ":" + std::to_string(line) + ": " + reason;
    return fileName + ": " + reason;
}

ConfCar::ConfCar(std::string fileName) : IoBaseData(std::move(fileName))
{
    ResetDefaults();
}

void ConfCar::ResetDefaults()
{
    // The catalogue's defaults include LambdaReferences element 1 = 0, so that
    // word has a defined value before the first read or load.
    for (ParamIndex i = 0; i < kParamCount; ++i) {
        const auto entry = CatalogueEntry(i);
        for (int e = 0; e < entry->elements; ++e)
            m_words[static_cast<std::size_t>(entry->storage + e)] =
                entry->defaults[static_cast<std::size_t>(e)];
    }
}

std::int32_t* ConfCar::MemberOf(ParamIndex index)
{
    const int storage = StorageOf(index);
    return storage < 0 ? nullptr : &m_words[static_cast<std::size_t>(storage)];
}

const std::int32_t* ConfCar::MemberOf(ParamIndex index) const
{
    const int storage = StorageOf(index);
    return storage < 0 ? nullptr : &m_words[static_cast<std::size_t>(storage)];
}

double ConfCar::ReadValue(ParamIndex index)
{
    // These two change inside the ECU on their own: ask for them every time.
    if (index == DefaultPosition || index == DiagnosticsErrors)
        LinkOf(*this).ReadParam(DescriptorOf(index), MemberOf(index));

    if (IsRawParam(index) || index == OptionFlags) return *MemberOf(index);
    if (!CodeListOf(index).empty()) return CodePosition(CodeListOf(index), *MemberOf(index));
    if (IsPeriodCoded(index)) return PeriodToRpm(*MemberOf(index));
    if (const std::int32_t bit = OptionBitOf(index))
        return (*MemberOf(OptionFlags) & bit) != 0 ? 1.0 : 0.0;

    switch (index) {
    case EmulHighTime: case EmulLowTime: case OverlapTimeMs:
        return TicksToMs(*MemberOf(index));
    case EmulTristateTime: return TicksToWholeSeconds(*MemberOf(index));
    case FuelOverlapTime: return TicksToSeconds(*MemberOf(index));
    case LambdaReadDelay: return TimesFive(*MemberOf(index));
    case BoschHysteresis: case IdleTpsHysteresis: case CruiseLambdaRef: case LambdaRefOffset:
        return Volts(*MemberOf(index));
    case KickdownTps: {
        const std::int64_t raw = *MemberOf(index);
        return Volts(TpsInverted() ? 255 - raw : raw);
    }
    case ChangeoverTemp: case GasStartTemp: return Celsius(*MemberOf(index));
    case SwitchType: return (*MemberOf(SwitchType) & kSwitchTypeBit) != 0 ? 1.0 : 0.0;
    case ChangeoverMode: return CodePosition(kChangeoverCodes, *MemberOf(index) & 15);
    case LowLevelReturn: {
        const std::int64_t raw = *MemberOf(index);
        return static_cast<double>(LevelSensorInverted() ? 255 - raw : raw);
    }
    case DecelBandWidth: return (*MemberOf(DecelSettings) & 7) - 2;
    case DecelExitTime: return (*MemberOf(DecelSettings) & 248) * 20;
    default: return NoValue;
    }
}

// The raw word a user value becomes, for the word that holds the index (the
// parameter's own, or OptionFlags / DecelSettings / the SwitchType word for
// the bit views). nullopt when the index has no write conversion.
std::optional<std::int32_t> ConfCar::RawForWrite(ParamIndex index, double value) const
{
    if (IsRawParam(index)) return TruncToWord(value);
    if (!CodeListOf(index).empty()) return CodeAtPosition(CodeListOf(index), value);
    if (IsPeriodCoded(index)) return RpmToPeriod(value);
    const auto withBit = [value](std::int32_t word, std::int32_t bit) {
        return value != 0 ? (word | bit) : (word & ~bit);
    };
    if (const std::int32_t bit = OptionBitOf(index)) return withBit(*MemberOf(OptionFlags), bit);

    switch (index) {
    case EmulHighTime: case EmulLowTime: case OverlapTimeMs: return MsToTicks(value);
    case EmulTristateTime: case FuelOverlapTime: return SecondsToTicks(value);
    case LambdaReadDelay: return FifthToRaw(value);
    case BoschHysteresis: case IdleTpsHysteresis: return VoltsToRaw(value);
    case CruiseLambdaRef: case LambdaRefOffset: return HundredthsVoltsToRaw(value);
    case KickdownTps: return TpsInverted() ? InvertedVoltsToRaw(value) : VoltsToRaw(value);
    case ChangeoverTemp: case GasStartTemp: return TemperatureCode(value);
    case SwitchType: return withBit(*MemberOf(SwitchType), kSwitchTypeBit);
    case ChangeoverMode: {
        const auto code = CodeAtPosition(kChangeoverCodes, value);
        if (!code) return std::nullopt;
        return (*code & 15) | (*MemberOf(ChangeoverMode) & 240);
    }
    case LowLevelReturn:
        return LevelSensorInverted() ? TruncToWord(255 - static_cast<long double>(value))
                                     : TruncToWord(value);
    case DecelBandWidth:
        return (TruncToWord(static_cast<long double>(value) + 2) & 7) |
               (*MemberOf(DecelSettings) & 248);
    case DecelExitTime:
        return ((TruncToWord(value) / 20) & 248) | (*MemberOf(DecelSettings) & 7);
    default: return std::nullopt;
    }
}

// The word a write of index lands in: its own, or the word holding its bit.
ParamIndex ConfCar::HoldingIndex(ParamIndex index)
{
    if (OptionBitOf(index) != 0) return OptionFlags;
    if (index == DecelBandWidth || index == DecelExitTime) return DecelSettings;
    return index;
}

int ConfCar::WriteValue(ParamIndex index, double value)
{
    if (index < 0) return -1;
    EcuLink& link = LinkOf(*this);
    if (index == CustomerCode) {
        // The code is only handed to the ECU; the record keeps nothing of it.
        link.WriteParam(DescriptorOf(CustomerCode), TruncToWord(value));
        return 1;
    }
    const auto raw = RawForWrite(index, value);
    if (!raw) return 0;
    const ParamIndex holder = HoldingIndex(index);
    if (!link.WriteParam(DescriptorOf(holder), *raw)) return 0;
    *MemberOf(holder) = *raw;
    return 1;
}

double ConfCar::ReadItem(ParamIndex index, int element)
{
    if (!IsElementParam(index, element)) return NoValue;
    const std::int64_t raw = MemberOf(index)[element];
    switch (index) {
    case TpsThresholds: return Volts(TpsInverted() ? 255 - raw : raw);
    case LambdaReferences: return Volts(raw);
    default: return static_cast<double>(raw);
    }
}

double ConfCar::WriteItem(ParamIndex index, int element, double value)
{
    if (!IsElementParam(index, element)) return 0.0;
    std::int32_t raw = 0;
    switch (index) {
    case TpsThresholds: raw = ThresholdVoltsToRaw(value, TpsInverted()); break;
    case LambdaReferences: raw = HundredthsVoltsToRaw(value); break;
    default: raw = TruncToWord(value); break;
    }
    if (!LinkOf(*this).WriteParamItem(DescriptorOf(index), element, raw)) return 0.0;
    MemberOf(index)[element] = raw;
    return 1.0;
}

int ConfCar::ReadTable(ParamIndex index, std::int32_t out[6])
{
    if (!IsSixWordTable(index)) return 0;
    std::int32_t* words = MemberOf(index);
    LinkOf(*this).ReadParam(DescriptorOf(index), words);
    std::copy(words, words + kTableSize, out);
    return 1;
}

int ConfCar::WriteTable(ParamIndex index, const std::int32_t in[6])
{
    if (!IsSixWordTable(index)) return 0;
    EcuLink& link = LinkOf(*this);
    const auto ecuNumber = CodeEcuNumber(DescriptorOf(index));
    for (int e = 0; e < kTableSize; ++e)
        if (!link.WriteParamItem(ecuNumber, e, in[e])) return 0;
    std::copy(in, in + kTableSize, MemberOf(index));
    return 1;
}

bool ConfCar::TpsInverted() const
{
    return (*MemberOf(TpsType) & 1) != 0;
}

bool ConfCar::LevelSensorInverted() const
{
    return (*MemberOf(LevelSensorType) & 128) != 0;
}

bool ConfCar::SensorTableActive() const
{
    const std::int32_t sensor = *MemberOf(LevelSensorType);
    return (*MemberOf(OptionFlags) & kTableEnableBit) != 0 && (sensor == 131 || sensor == 4);
}

bool ConfCar::SetSensorTableEnable(bool on)
{
    const std::int32_t flags = *MemberOf(OptionFlags);
    const std::int32_t word = on ? (flags | kTableEnableBit) : (flags & ~kTableEnableBit);
    const bool accepted = LinkOf(*this).WriteParam(DescriptorOf(OptionFlags), word);
    if (accepted) *MemberOf(OptionFlags) = word;
    return accepted;
}

}  // namespace lumex

namespace lumex {
namespace {

// ReadAll's groups; the wait window's bar moves after each one.
constexpr std::array<std::initializer_list<ParamIndex>, 12> kReadGroups{{
    {1, 2, 62},
    {57, 63, 58, 56},
    {54, 3, 59, 4, 51},
    {5, 6, 7, 8, 39},
    {38, 36, 35, 31},
    {32, 33, 34},
    {41, 42, 60},
    {66, 40, 23, 24, 61},
    {9, 10, 25, 27},
    {28, 17, 12, 13, 45},
    {44, 18, 48, 43, 22, 55},
    {30, 19, 52, 53, 14, 15, 16, 46},
}};
constexpr int kProgressStep = 9;
constexpr int kProgressFull = 100;

// WriteAll's single words before and after the TPS and lambda elements.
constexpr std::array<ParamIndex, 32> kWriteFirst{
    1, 2, 62, 57, 58, 63, 56, 54, 3, 59, 4, 51, 5, 6, 7, 8,
    39, 38, 36, 35, 31, 32, 33, 34, 41, 42, 66, 40, 23, 24, 9, 10};
constexpr std::array<ParamIndex, 19> kWriteSecond{
    28, 17, 12, 13, 45, 44, 18, 48, 43, 22, 55, 30, 19, 52, 53, 14, 15, 16, 46};

constexpr EcuIdentBytes kOfflineIdent{7, 0, 1, 0};
constexpr std::uint8_t kReducedModelCode = 2;

}  // namespace

void ConfCar::ReadAll()
{
    EcuLink& link = LinkOf(*this);
    for (std::size_t g = 0; g < kReadGroups.size(); ++g) {
        for (const ParamIndex index : kReadGroups[g])
            link.ReadParam(DescriptorOf(index), MemberOf(index));
        // The last group ends with "set to full" instead of another step.
        if (g + 1 < kReadGroups.size() && m_screen)
            m_screen->SendToActiveWindow(WM_LINK_PROGRESS, kProgressStep, 1);
    }
    // The ECU is not asked for these two.
    *MemberOf(SwitchType) = 0;
    *MemberOf(GasStartTemp) = 0;
    if (m_screen) m_screen->SendToActiveWindow(WM_LINK_PROGRESS, kProgressFull, 0);
}

void ConfCar::WriteAll()
{
    EcuLink& link = LinkOf(*this);
    const auto writeWords = [&](auto indices) {
        for (const ParamIndex index : indices) link.WriteParam(DescriptorOf(index), *MemberOf(index));
    };
    // Whole-array writes address the parameter by its bare ECU number.
    const auto writeElements = [&](ParamIndex index) {
        const auto ecuNumber = CodeEcuNumber(DescriptorOf(index));
        for (int e = 0; e < ElementsOf(index); ++e)
            link.WriteParamItem(ecuNumber, e, MemberOf(index)[e]);
    };
    writeWords(kWriteFirst);
    writeElements(TpsThresholds);
    writeElements(LambdaReferences);
    writeWords(kWriteSecond);
    writeElements(GaugeOutputTable);
    const std::int32_t sensor = *MemberOf(LevelSensorType);
    if (sensor == 131 || sensor == 4) writeElements(LevelSensorTable);
}

EcuIdentBytes ConfCar::FileIdent()
{
    EcuIdentBytes offline = kOfflineIdent;
    if (ReducedModel) offline.model = kReducedModelCode;
    EcuLink& link = LinkOf(*this);
    if (!link.IsConnected()) return offline;
    std::uint8_t bytes[4] = {};
    // A connected ECU that cannot say who it is must not leave arbitrary
    // bytes in the file: write what an unconnected save writes.
    if (!link.ReadIdent(bytes)) return offline;
    return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

std::string ConfCar::FormatFile()
{
    return FormatConfigFile(FileIdent(), m_words);
}

FileStatus ConfCar::SaveFile()
{
    return WriteFileReplacing(FileName(), FormatFile());
}

FileStatus ConfCar::LoadFile()
{
    std::string text;
    if (auto status = ReadTextFile(FileName(), text); !status.ok) return status;
    // ParseConfigFile changes the words only when the whole file is sound,
    // and only then does the ECU get the loaded record.
    if (auto status = ParseConfigFile(text, m_words); !status.ok) return status;
    WriteAll();
    return FileStatus::Ok();
}

}  // namespace lumex

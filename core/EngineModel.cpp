#include "EngineModel.h"

#include "Conversions.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>

namespace lumex {
namespace {

constexpr int kClosedTpsByte = 23;     // about 0.45 V with the throttle shut
constexpr int kOpenTpsByte = 230;      // about 4.5 V wide open
constexpr double kCutOffEndRpm = 1400;
constexpr double kActuatorStepsPerSecond = 250;
constexpr double kGasFloor = 20;
constexpr double kGasPerRpmSecond = 2e-5;   // about one level unit per 20 s of cruise
constexpr std::array<int, 3> kFallbackThresholds{0, 102, 178};

double ByteVolts(int value) { return Hundredths(value) / 100.0; }

int VoltsByte(double volts)
{
    return std::clamp(static_cast<int>(std::lround(volts * 51.0)), 0, 255);
}

struct ProbeScale {
    double low;
    double high;
    bool inverted;   // a richer mixture gives a lower voltage
};

ProbeScale ScaleOf(const EngineSettings& s)
{
    switch (s.lambdaType) {
    case 6: case 10: return {0.0, 5.0, false};
    case 7: case 11: return {0.0, 5.0, true};
    case 16: {
        const double offset = ByteVolts(s.lambdaRefOffset);
        return {offset, offset + 0.8, false};
    }
    default: return {0.0, 1.0, false};
    }
}

}  // namespace

EngineModel::EngineModel(std::uint32_t seed, EngineClock clock)
    : m_clock(std::move(clock)), m_random(seed)
{
    if (!m_clock) {
        m_clock = [] {
            using namespace std::chrono;
            return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        };
    }
    m_origin = m_clock();
    m_actuator = m_settings.defaultPosition;
    m_nextEpisode = UniformInt(kFirstEpisodeEarliestMs, kFirstEpisodeLatestMs);
    m_nextAdaptation = 20000;
    PlanCycle();
}

void EngineModel::Configure(const EngineSettings& settings)
{
    Update();
    m_settings = settings;
}

void EngineModel::Update()
{
    const std::int64_t now = m_clock() - m_origin;
    while (m_elapsedMs + kStepMs <= now) Step();
}

// ---- scenario ----

void EngineModel::AddSegment(Mode mode, int durationMs, double throttle, double rpmTarget)
{
    if (m_planSize >= kMaxSegments) return;
    m_plan[static_cast<std::size_t>(m_planSize++)] = {mode, durationMs, throttle, rpmTarget};
}

// One drive of about a minute. Odd cycles always end their cruise with a full
// power pull so that a short demo sees every throttle zone; even cycles do so
// only now and then.
void EngineModel::PlanCycle()
{
    m_planSize = 0;
    m_planPos = 0;
    const bool first = m_cycle == 0;
    if (first) AddSegment(Mode::Crank, 1200);
    // The first blip is what changes over to gas on the factory settings, so
    // it comes early; later cycles idle a little longer.
    AddSegment(Mode::Idle, first ? UniformInt(3000, 4500) : UniformInt(5000, 8000));
    const int blips = UniformInt(2, 3);
    for (int i = 0; i < blips; ++i) {
        AddSegment(Mode::Blip, UniformInt(500, 800), Uniform(0.35, 0.6), Uniform(3000, 4500));
        AddSegment(Mode::Idle, UniformInt(1500, 2500));
    }
    AddSegment(Mode::Drive, 3000, 0.45, 3200);
    AddSegment(Mode::Drive, UniformInt(6000, 9000), Uniform(0.15, 0.3), Uniform(2200, 2600));
    AddSegment(Mode::Drive, UniformInt(6000, 9000), Uniform(0.25, 0.45), Uniform(2600, 3000));
    if (m_cycle % 2 == 1 || UniformInt(0, 2) == 0)
        AddSegment(Mode::Power, UniformInt(2500, 4000), 1.0, Uniform(5000, 5800));
    AddSegment(Mode::Drive, UniformInt(3000, 5000), Uniform(0.2, 0.3), Uniform(2400, 2800));
    AddSegment(Mode::Decel, 5000);
    int used = 0;
    for (int i = 0; i < m_planSize; ++i) used += m_plan[static_cast<std::size_t>(i)].durationMs;
    AddSegment(Mode::Idle, std::max(4000, 60000 - used));
    ++m_cycle;
}

void EngineModel::Step()
{
    constexpr double dt = kStepMs / 1000.0;
    m_elapsedMs += kStepMs;
    m_segmentMs += kStepMs;
    while (m_segmentMs >= Current().durationMs) {
        m_segmentMs -= Current().durationMs;
        if (++m_planPos >= m_planSize) PlanCycle();
    }
    StepSpeed(dt);
    StepEpisodes();
    StepLambda(dt);
    StepActuator(dt);
    StepGasSystem(dt);
    StepAdaptation();
}

double EngineModel::CoolantCelsius() const
{
    // Fast at first, then levelling off at the thermostat's temperature.
    return 15.0 + 70.0 * (1.0 - std::exp(-static_cast<double>(m_elapsedMs) / 100000.0));
}

int EngineModel::TemperatureRaw() const { return TemperatureCode(CoolantCelsius()); }

double EngineModel::IdleRpm() const
{
    // Sits just below 900 so the jitter crosses the display's 100 rpm steps.
    return 870.0 + std::max(0.0, 40.0 - CoolantCelsius()) * 6.0;
}

void EngineModel::StepSpeed(double dt)
{
    const Segment& segment = Current();
    double target = IdleRpm();
    double rate = 2.5;   // per second, toward the target
    switch (segment.mode) {
    case Mode::Crank: target = 0; rate = 100; break;
    case Mode::Idle: break;
    case Mode::Blip: target = segment.rpmTarget; rate = 7; break;
    case Mode::Drive: target = segment.rpmTarget; rate = 1.5; break;
    case Mode::Power: target = segment.rpmTarget; rate = 2; break;
    case Mode::Decel: rate = 0.8; break;   // engine braking is slow
    }
    m_rpm += (target - m_rpm) * std::min(1.0, rate * dt);
    m_throttle += (segment.throttle - m_throttle) * std::min(1.0, 15 * dt);
    m_cutOff = segment.mode == Mode::Decel && m_rpm > kCutOffEndRpm;

    // A new jitter target five times a second, smoothed, so the idle speed
    // wanders across the display's 100 rpm steps without flickering.
    if (m_elapsedMs % 200 == 0) m_rpmJitterTarget = Uniform(-1.0, 1.0);
    m_rpmNoise += (m_rpmJitterTarget - m_rpmNoise) * 0.05;
}

double EngineModel::ReportedRpm() const
{
    if (Current().mode == Mode::Crank) return 0;
    const bool idle = Current().mode == Mode::Idle;
    const double amplitude = idle ? 80.0 : 40.0;
    return std::max(0.0, m_rpm + m_rpmNoise * amplitude);
}

// ---- throttle ----

int EngineModel::TpsSensorByte() const
{
    const int linear = kClosedTpsByte
        + static_cast<int>(std::lround(m_throttle * (kOpenTpsByte - kClosedTpsByte)));
    return (m_settings.tpsType & 1) ? 255 - linear : linear;
}

// Zones from the threshold cells, which hold sensor values: an inverted
// sensor's thresholds are mirrored first. Thresholds that are not in rising
// order cannot split the travel into zones, so the usual ones stand in.
int EngineModel::Zone() const
{
    const bool inverted = (m_settings.tpsType & 1) != 0;
    std::array<int, 3> t = m_settings.tpsThresholds;
    if (inverted)
        for (int& value : t) value = 255 - value;
    if (!(t[0] < t[1] && t[1] < t[2])) t = kFallbackThresholds;
    const int linear = inverted ? 255 - TpsSensorByte() : TpsSensorByte();
    const int idleEdge = std::max(t[0], kClosedTpsByte) + m_settings.idleTpsHysteresis;
    if (linear <= idleEdge) return 0;
    if (linear < t[1]) return 1;
    if (linear < t[2]) return 2;
    return 3;
}

// ---- lambda ----

void EngineModel::StepLambda(double dt)
{
    const double frequency = 0.5 + m_rpm / 2500.0;
    m_lambdaPhase = std::fmod(m_lambdaPhase + 2 * std::numbers::pi * frequency * dt,
                              2 * std::numbers::pi);
    const double noise = Uniform(-0.04, 0.04);
    if (m_episode == LambdaEpisode::Stuck) {
        m_mixture = m_stuckMixture;
        return;
    }
    const Mode mode = Current().mode;
    double target = 0;
    if (m_episode == LambdaEpisode::Lean) target = -0.85;
    else if (m_episode == LambdaEpisode::Rich) target = 0.85;
    else if (mode == Mode::Crank || m_cutOff) target = -0.95;
    else if (!ProbeWarm()) target = 0;
    else if (mode == Mode::Power) target = 0.8;
    else target = 0.9 * std::tanh(2.5 * std::sin(m_lambdaPhase));
    target = std::clamp(target + noise, -1.0, 1.0);
    m_mixture += (target - m_mixture) * std::min(1.0, 12 * dt);
}

LambdaState EngineModel::CurrentLambdaState() const
{
    if (m_episode == LambdaEpisode::Stuck) return LambdaState::Fault;
    if (m_mixture < -0.25) return LambdaState::Lean;
    if (m_mixture > 0.25) return LambdaState::Rich;
    return LambdaState::Ok;
}

// The probe swings from its reference toward the rich or the lean end of its
// scale; on a 5-0 V probe rich is the low end.
int EngineModel::LambdaByte() const
{
    const ProbeScale scale = ScaleOf(m_settings);
    const double span = scale.high - scale.low;
    const int refCell = Zone() == 0 ? m_settings.idleLambdaRef : m_settings.cruiseLambdaRef;
    const double reference = std::clamp(ByteVolts(refCell), scale.low + 0.1 * span,
                                        scale.high - 0.1 * span);
    const double richEnd = scale.inverted ? scale.low : scale.high;
    const double leanEnd = scale.inverted ? scale.high : scale.low;
    const double end = m_mixture > 0 ? richEnd : leanEnd;
    const double volts = reference + std::abs(m_mixture) * 0.95 * (end - reference);
    return VoltsByte(volts);
}

// ---- actuator ----

void EngineModel::StepActuator(double dt)
{
    const int lower = std::min(m_settings.actuatorLowerLimit, m_settings.actuatorUpperLimit);
    const int upper = std::max(m_settings.actuatorLowerLimit, m_settings.actuatorUpperLimit);
    const double base = AdaptedDefaultNow();
    const int zone = Zone();
    double target = base;
    if (Current().mode == Mode::Crank) {
        target = base;
    } else if (m_cutOff) {
        target = lower;            // gas shut while the fuel is cut
    } else if (zone == 3) {
        target = upper;            // full power runs open loop, wide open
    } else {
        // Closed loop: open on lean, close on rich, within the allowed band.
        const bool idle = zone == 0;
        const int open = idle ? m_settings.idleOpenStepsMax : m_settings.offIdleOpenStepsMax;
        const int close = idle ? m_settings.idleCloseStepsMax : m_settings.offIdleCloseStepsMax;
        target = base - m_mixture * 0.8 * (m_mixture < 0 ? open : close);
    }
    target = std::clamp(target, static_cast<double>(lower), static_cast<double>(upper));
    const double maxStep = kActuatorStepsPerSecond * dt;
    m_actuator += std::clamp(target - m_actuator, -maxStep, maxStep);
    m_actuator = std::clamp(m_actuator, static_cast<double>(lower), static_cast<double>(upper));
}

int EngineModel::AdaptedDefaultNow() const
{
    return std::clamp(m_settings.defaultPosition + m_defaultOffset, 0, 255);
}

int EngineModel::AdaptedDefault()
{
    Update();
    return AdaptedDefaultNow();
}

void EngineModel::ResetAdaptation()
{
    Update();
    m_defaultOffset = 0;
}

// A warm engine on gas learns its default position a step at a time, within a
// few steps of the configured one.
void EngineModel::StepAdaptation()
{
    if (m_elapsedMs < m_nextAdaptation) return;
    m_nextAdaptation += 20000;
    if (!m_onGas || CoolantCelsius() < 60) return;
    m_defaultOffset = std::clamp(m_defaultOffset + UniformInt(-1, 1), -3, 3);
}

// ---- gas system ----

void EngineModel::StepGasSystem(double dt)
{
    if (!m_onGas && Current().mode != Mode::Crank) {
        // The sensor's raw value falls as the coolant warms.
        const int raw = TemperatureRaw();
        const bool warm = raw < m_settings.changeoverTemp;
        const bool fast = m_rpm > PeriodToRpm(m_settings.changeoverRpm);
        const bool startOnGas = (m_settings.changeoverMode & 15) == 4 && raw < m_settings.gasStartTemp;
        m_onGas = (warm && fast) || startOnGas;
    }
    if (m_onGas) m_gasLevel = std::max(kGasFloor, m_gasLevel - m_rpm * kGasPerRpmSecond * dt);
}

// ---- probe episodes and diagnostics ----

void EngineModel::StartEpisode(LambdaEpisode kind, int durationMs)
{
    m_episode = kind;
    m_episodeStart = m_elapsedMs;
    m_episodeEnd = m_elapsedMs + std::max(durationMs, kStepMs);
    m_episodeReported = false;
    m_stuckMixture = m_mixture;
    m_nextEpisode = m_episodeEnd + UniformInt(150000, 270000);
}

void EngineModel::StepEpisodes()
{
    if (m_episode == LambdaEpisode::None) {
        // Spontaneous episodes come only once the probe works in closed loop.
        if (m_elapsedMs >= m_nextEpisode && ProbeWarm()) {
            static constexpr std::array<LambdaEpisode, 3> kinds{
                LambdaEpisode::Stuck, LambdaEpisode::Lean, LambdaEpisode::Rich};
            StartEpisode(kinds[static_cast<std::size_t>(UniformInt(0, 2))], UniformInt(15000, 25000));
        }
        return;
    }
    if (m_elapsedMs >= m_episodeEnd) {
        m_episode = LambdaEpisode::None;
        return;
    }
    // A stuck probe is noticed sooner than a mixture that stays on one side.
    const int detectionMs = m_episode == LambdaEpisode::Stuck ? 5000 : 8000;
    const int bit = static_cast<int>(m_episode);
    if (!m_episodeReported && m_elapsedMs - m_episodeStart >= detectionMs
        && (m_settings.diagnosticsEnable & bit) != 0) {
        m_faults |= bit;
        m_episodeReported = true;
    }
}

void EngineModel::ForceEpisode(LambdaEpisode kind, int durationMs)
{
    Update();
    if (kind == LambdaEpisode::None) {
        m_episode = LambdaEpisode::None;
        return;
    }
    StartEpisode(kind, durationMs);
}

int EngineModel::Faults()
{
    Update();
    return m_faults;
}

void EngineModel::SetFaults(int bits)
{
    Update();
    m_faults = bits;
}

// ---- readings and pages ----

EngineReading EngineModel::Read()
{
    Update();
    EngineReading r;
    r.elapsedMs = m_elapsedMs;
    r.rpm = ReportedRpm();
    r.lambdaVolts = ByteVolts(LambdaByte());
    r.lambdaState = CurrentLambdaState();
    r.tpsVolts = ByteVolts(TpsSensorByte());
    r.tpsZone = Zone();
    r.actuator = static_cast<int>(std::lround(m_actuator));
    r.atUpperLimit = r.actuator >= std::max(m_settings.actuatorLowerLimit, m_settings.actuatorUpperLimit);
    r.atLowerLimit = r.actuator <= std::min(m_settings.actuatorLowerLimit, m_settings.actuatorUpperLimit);
    r.cutOff = m_cutOff;
    r.coolantCelsius = CoolantCelsius();
    r.gasLevel = m_gasLevel;
    r.onGas = m_onGas;
    r.rangeBars = m_onGas && r.tpsZone == 0;
    r.defaultPosition = AdaptedDefaultNow();
    r.episode = m_episode;
    return r;
}

void EngineModel::FillPage0(std::uint8_t* out)
{
    const EngineReading r = Read();
    int speed = 0;
    if (r.rpm >= 1.0) speed = std::clamp(static_cast<int>(120000.0 / r.rpm), 1, 255);
    out[0] = static_cast<std::uint8_t>(speed);
    out[1] = static_cast<std::uint8_t>(LambdaByte());
    out[2] = static_cast<std::uint8_t>(TpsSensorByte());
    out[3] = static_cast<std::uint8_t>(r.tpsZone | (static_cast<int>(r.lambdaState) << 4));
    out[4] = static_cast<std::uint8_t>((r.atUpperLimit ? 128 : 0) | (r.atLowerLimit ? 64 : 0)
                                       | (r.cutOff ? 4 : 0));
    out[5] = static_cast<std::uint8_t>(r.actuator);
}

void EngineModel::FillPage1(std::uint8_t* out)
{
    Update();
    const bool inverted = (m_settings.tpsType & 1) != 0;
    out[0] = static_cast<std::uint8_t>(TemperatureRaw());
    out[1] = static_cast<std::uint8_t>(std::lround(m_gasLevel));
    out[2] = static_cast<std::uint8_t>((m_onGas ? 8 : 0) | (m_onGas && Zone() == 0 ? 1 : 0));
    out[3] = static_cast<std::uint8_t>(inverted ? 255 - kClosedTpsByte : kClosedTpsByte);
    out[4] = static_cast<std::uint8_t>(AdaptedDefaultNow());
}

// ---- randomness: splitmix64, the same sequence everywhere ----

std::uint32_t EngineModel::NextRandom()
{
    std::uint64_t z = (m_random += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
}

double EngineModel::Uniform(double low, double high)
{
    return low + (high - low) * (NextRandom() / 4294967296.0);
}

int EngineModel::UniformInt(int low, int high)
{
    const auto range = static_cast<std::uint32_t>(high - low + 1);
    return low + static_cast<int>(NextRandom() % range);
}

}  // namespace lumex

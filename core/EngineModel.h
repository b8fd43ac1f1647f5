#pragma once
// EngineModel: the engine, gas system and lambda probe behind the virtual
// ECU's live pages. It plays a driving scenario that repeats about once a
// minute (cold start and idle, throttle blips, cruise, now and then a full
// power pull, deceleration with fuel cut-off) while the coolant warms up, the
// gas level drops and the unit changes over from petrol to gas. The probe now
// and then misbehaves (stuck, too long lean, too long rich); enabled checks
// turn such an episode into a diagnostics fault bit.
//
// The first minute is paced for someone opening the live display straight
// after start-up: the first throttle blip comes after a few seconds of idle,
// so the unit changes over to gas (and shows its range bars back at idle)
// within about ten seconds on the factory settings, and the first probe
// episode starts soon after the probe has warmed up.
//
// The model is deterministic: it advances in fixed 10 ms steps from its start
// up to the clock's current time whenever something reads it, so the state at
// a given time depends only on the seed, the settings and the clock, never on
// how often it was read. It draws its randomness from a local generator whose
// sequence is the same on every platform.
//
// Not thread-safe: owned and called by one VirtualEcu on the caller's thread.

#include <array>
#include <cstdint>
#include <functional>

namespace lumex {

// Milliseconds since some fixed start. An empty clock means real time.
using EngineClock = std::function<std::int64_t()>;

// The ECU parameter cells the model obeys, as raw ECU values.
struct EngineSettings {
    int lambdaType = 0;               // probe code: 0, 6, 10, 7, 11 or 16
    int idleLambdaRef = 28;           // LambdaReferences element 0
    int cruiseLambdaRef = 28;
    int lambdaRefOffset = 40;         // scale start of the 0.8-1.6 V probe
    int tpsType = 0;                  // bit of value 1: inverted sensor
    std::array<int, 3> tpsThresholds{0, 102, 178};
    int idleTpsHysteresis = 7;
    int actuatorLowerLimit = 0;
    int actuatorUpperLimit = 255;
    int defaultPosition = 100;
    int idleOpenStepsMax = 25;
    int idleCloseStepsMax = 25;
    int offIdleOpenStepsMax = 40;
    int offIdleCloseStepsMax = 40;
    int changeoverRpm = 60;           // period-coded
    int changeoverTemp = 156;         // temperature sensor raw value
    int changeoverMode = 0;
    int gasStartTemp = 51;            // temperature sensor raw value
    int diagnosticsEnable = 0;
};

// Probe misbehaviour; the value is the diagnostics bit it trips.
enum class LambdaEpisode : std::uint8_t { None = 0, Stuck = 1, Lean = 2, Rich = 4 };

// Lambda state as the live page reports it.
enum class LambdaState : std::uint8_t { Ok = 0, Lean = 1, Rich = 2, Fault = 3 };

// What the engine is doing at one moment, in engineering units.
struct EngineReading {
    std::int64_t elapsedMs = 0;
    double rpm = 0;
    double lambdaVolts = 0;
    LambdaState lambdaState = LambdaState::Ok;
    double tpsVolts = 0;              // as the sensor delivers it
    int tpsZone = 0;                  // 0 idle, 1 just off idle, 2 part load, 3 full power
    int actuator = 0;
    bool atUpperLimit = false;
    bool atLowerLimit = false;
    bool cutOff = false;
    double coolantCelsius = 0;
    double gasLevel = 0;
    bool onGas = false;
    bool rangeBars = false;
    int defaultPosition = 0;          // the adapted default position
    LambdaEpisode episode = LambdaEpisode::None;
};

class EngineModel {
public:
    static constexpr int kStepMs = 10;
    static constexpr int kPage0Bytes = 6;
    static constexpr int kPage1Bytes = 5;
    // The probe reads a steady mixture until it is warm; only then can it
    // swing, or misbehave.
    static constexpr int kProbeWarmMs = 10000;
    // The first spontaneous episode starts within this window.
    static constexpr int kFirstEpisodeEarliestMs = 20000;
    static constexpr int kFirstEpisodeLatestMs = 35000;

    explicit EngineModel(std::uint32_t seed = 1, EngineClock clock = {});

    // Takes new cell values; the time up to now still runs on the old ones.
    void Configure(const EngineSettings& settings);
    const EngineSettings& Settings() const { return m_settings; }

    // Advances to the clock's current time.
    void Update();
    EngineReading Read();

    // The used bytes of live page 0 (6 bytes) and page 1 (5 bytes).
    void FillPage0(std::uint8_t* out);
    void FillPage1(std::uint8_t* out);

    // Starts a probe episode now; it replaces a running one and puts off the
    // next spontaneous episode.
    void ForceEpisode(LambdaEpisode kind, int durationMs = 20000);

    // Diagnostics fault bits (value 1 probe not working, 2 too long lean,
    // 4 too long rich). SetFaults(0) clears them; an episode already reported
    // does not report again.
    int Faults();
    int FaultsNow() const { return m_faults; }
    void SetFaults(int bits);

    // The default position as the unit has adapted it (the cell plus a small
    // learned offset), and forgetting what was learned.
    int AdaptedDefault();
    int AdaptedDefaultNow() const;
    void ResetAdaptation();

private:
    enum class Mode : std::uint8_t { Crank, Idle, Blip, Drive, Power, Decel };
    struct Segment {
        Mode mode = Mode::Idle;
        int durationMs = 0;
        double throttle = 0;
        double rpmTarget = 0;
    };
    static constexpr int kMaxSegments = 20;

    void Step();
    void PlanCycle();
    void AddSegment(Mode mode, int durationMs, double throttle = 0, double rpmTarget = 0);
    const Segment& Current() const { return m_plan[static_cast<std::size_t>(m_planPos)]; }
    double IdleRpm() const;
    bool ProbeWarm() const { return m_elapsedMs > kProbeWarmMs; }
    void StepSpeed(double dt);
    void StepLambda(double dt);
    void StepActuator(double dt);
    void StepGasSystem(double dt);
    void StepEpisodes();
    void StepAdaptation();
    void StartEpisode(LambdaEpisode kind, int durationMs);
    double ReportedRpm() const;
    int TpsSensorByte() const;
    int Zone() const;
    int LambdaByte() const;
    LambdaState CurrentLambdaState() const;
    int TemperatureRaw() const;
    double CoolantCelsius() const;

    std::uint32_t NextRandom();
    double Uniform(double low, double high);
    int UniformInt(int low, int high);

    EngineClock m_clock;
    std::int64_t m_origin = 0;
    std::int64_t m_elapsedMs = 0;
    std::uint64_t m_random = 0;
    EngineSettings m_settings;

    std::array<Segment, kMaxSegments> m_plan{};
    int m_planSize = 0;
    int m_planPos = 0;
    int m_segmentMs = 0;
    int m_cycle = 0;

    double m_rpm = 0;
    double m_rpmNoise = 0;
    double m_rpmJitterTarget = 0;
    double m_throttle = 0;
    bool m_cutOff = false;
    double m_lambdaPhase = 0;
    double m_mixture = 0;             // -1 lean .. +1 rich
    double m_actuator = 100;
    double m_gasLevel = 200;
    bool m_onGas = false;

    LambdaEpisode m_episode = LambdaEpisode::None;
    std::int64_t m_episodeStart = 0;
    std::int64_t m_episodeEnd = 0;
    bool m_episodeReported = false;
    double m_stuckMixture = 0;
    std::int64_t m_nextEpisode = 0;
    int m_faults = 0;

    int m_defaultOffset = 0;
    std::int64_t m_nextAdaptation = 0;
};

}  // namespace lumex

#include "LiveMath.h"

#include "Conversions.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumex::live {

namespace {

// The display's arithmetic is done in extended precision and truncated, so
// that results at exact pixel boundaries come out the same on every build.
using Real = long double;

int Trunc(Real value) { return static_cast<int>(std::trunc(value)); }

}  // namespace

int RpmFromPeriod(std::uint8_t period) { return static_cast<int>(PeriodToRpm(period)); }

LambdaScale LambdaScaleFor(int typePosition, int offsetHundredths)
{
    switch (typePosition) {
    case 0: return {0, 100};
    case 1:
    case 2: return {0, 500};
    case 3:
    case 4: return {500, 0};
    case 5: return {offsetHundredths, offsetHundredths + 80};
    default: return {0, 100};
    }
}

int LambdaSegment(int lambdaHundredths, LambdaScale scale)
{
    const int step = (scale.maximum - scale.minimum) / kLambdaSegments;
    int segment = 0;
    if (step < 0)
        segment = (kLambdaSegments - 1) - lambdaHundredths / -step;
    else if (step > 0 && lambdaHundredths >= scale.minimum)
        segment = (lambdaHundredths - scale.minimum) / step;
    // step 0 (a scale narrower than ten hundredths) would divide by zero: the
    // bar then stays on its first segment.
    return std::clamp(segment, 0, kLambdaSegments - 1);
}

int ClampZone(int zone) { return std::clamp(zone, 0, kTpsZones - 1); }

int CorrectedMinTps(std::uint8_t raw, int hysteresisHundredths, bool fixedIdleTps,
                    bool tpsInverted)
{
    int m = lumex::Hundredths(raw);
    if (m + hysteresisHundredths < 500 && fixedIdleTps)
        m += hysteresisHundredths;
    if (tpsInverted)
        m = 500 - m;
    return m;
}

int LiveTemperature(std::uint8_t raw, double celsius)
{
    if (raw == 0 || celsius == kNoTemperature)
        return kNoTemperature;
    return Trunc(celsius);
}

double NeedleAngleDegrees(int rpm)
{
    return static_cast<double>(Real(225) - Real(rpm) / Real(kDialFullScaleRpm) * Real(270));
}

int NeedleLength(int radius) { return Trunc(Real(0.6L) * radius); }

Point NeedleEnd(Point centre, int radius, int rpm)
{
    const Real alpha = (Real(225) - Real(rpm) / Real(kDialFullScaleRpm) * Real(270))
                       * std::numbers::pi_v<Real> / Real(180);
    const Real length = NeedleLength(radius);
    return {centre.x + Trunc(length * std::cos(alpha)),
            centre.y + Trunc(-length * std::sin(alpha))};
}

DialGeometry DialFor(int left, int top, int width, int height, int labelFontPointSize)
{
    DialGeometry g;
    const int r = Trunc(Real(height) / Real(3.5L));
    const int cx = left + width / 2;
    const int cy = top + height / 2;
    const int k = Trunc(Real(r) / Real(1.414L));
    const int fs = labelFontPointSize;
    g.radius = r;
    g.centre = {cx, cy};
    g.k = k;
    g.labels = {{{cx - k - 15, cy + k + 5},
                 {cx - r - 15, cy - fs},
                 {cx - k - 20, cy - k - 15},
                 {cx - 5, cy - r - 20},
                 {cx + k + 10, cy - k - 15},
                 {cx + r + 10, cy - fs},
                 {cx + k + 5, cy + k + 5}}};
    g.contaGiriTop = cy + r - 30;
    g.giriTop = cy + r + 20;
    return g;
}

int InnerRadius(int radius) { return radius - 4; }

int InnerDiagonal(int radius) { return Trunc(Real(InnerRadius(radius)) / Real(1.414L)); }

ActuatorScale ActuatorScaleFor(int screenWidth, int trackBarHeight, int trackBarTop)
{
    const Real factor = Real(screenWidth) / Real(800);
    return {Trunc(Real(trackBarHeight) - factor * Real(31)),
            Trunc(factor * Real(4)) + trackBarTop};
}

int DefaultMarkerTop(int defaultPosition, ActuatorScale scale)
{
    return Trunc((Real(1) - Real(defaultPosition) / Real(255)) * Real(scale.usableHeight)
                 + Real(scale.offset));
}

namespace {

// How far below the default the actuator may go: the step count, or what
// is left down to the lower limit. The ECU works on bytes, so a default
// already under the limit wraps round like the unit's own arithmetic does.
int StepsDown(int defaultPosition, int closeMax, int lower)
{
    if (defaultPosition - closeMax < lower)
        return ((defaultPosition - lower) % 256 + 256) % 256;
    return closeMax;
}

int StepsUp(int defaultPosition, int openSteps, int upper)
{
    if (defaultPosition + openSteps > upper)
        return upper - defaultPosition;
    return openSteps;
}

}  // namespace

StepRange OffIdleRange(int defaultPosition, int zone, const ActuatorLimits& limits)
{
    const int open = (zone == 1 && limits.offIdleOpen < limits.offIdleOpenMax)
                         ? limits.offIdleOpen
                         : limits.offIdleOpenMax;
    return {StepsUp(defaultPosition, open, limits.upper),
            StepsDown(defaultPosition, limits.offIdleCloseMax, limits.lower)};
}

StepRange IdleRange(int defaultPosition, const ActuatorLimits& limits)
{
    return {StepsUp(defaultPosition, limits.idleOpenMax, limits.upper),
            StepsDown(defaultPosition, limits.idleCloseMax, limits.lower)};
}

RangeBar RangeBarFor(StepRange range, int markerMiddleY, ActuatorScale scale)
{
    const Real h = scale.usableHeight;
    return {Trunc(Real(markerMiddleY) - Real(range.up) * h / Real(255)),
            Trunc(h * Real(range.up + range.down) / Real(255))};
}

Rgb TpsZoneColour(int zone)
{
    static constexpr std::array<Rgb, kTpsZones> colours{
        {{0, 255, 255}, {0, 255, 0}, {255, 255, 0}, {255, 0, 0}}};
    return colours[static_cast<std::size_t>(ClampZone(zone))];
}

Rgb LambdaStateColour(int state)
{
    static constexpr std::array<Rgb, 4> colours{
        {{0, 128, 0}, {255, 255, 0}, {255, 0, 0}, {0, 0, 0}}};
    return colours[static_cast<std::size_t>(std::clamp(state, 0, 3))];
}

}  // namespace lumex::live

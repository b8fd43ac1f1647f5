#pragma once
// LiveMath: the arithmetic behind the live parameter display, kept apart from
// the widgets so it can be checked as tables of cases. Everything here is a
// pure function of its arguments: no Qt, no allocation, no state, so the
// 100 ms poll may call it as often as it likes. Safe from any thread. The
// raw-value conversions it shares with the record (volts in hundredths,
// period-coded speed, the temperature curve) come from Conversions.h.

#include <array>
#include <cstdint>

namespace lumex::live {

inline constexpr int kNoTemperature = -1000;   // "no value" in the display
inline constexpr int kLambdaSegments = 10;
inline constexpr int kTpsZones = 4;
inline constexpr int kDialFullScaleRpm = 6000;

// Engine speed from live page 0's period-coded byte (the record's own
// conversion): 0 and 255 mean a stopped engine.
int RpmFromPeriod(std::uint8_t period);

// The lambda bar's scale in hundredths of a volt. For a reversed probe the
// minimum is above the maximum.
struct LambdaScale {
    int minimum = 0;
    int maximum = 100;
    bool operator==(const LambdaScale&) const = default;
};

// typePosition: the LambdaType list position (-1 for an unknown code);
// offsetHundredths: the reference offset, used by the 0.8 - 1.6 V probe only.
LambdaScale LambdaScaleFor(int typePosition, int offsetHundredths);

// The lit segment 0..9 of the lambda bar for a voltage in hundredths.
int LambdaSegment(int lambdaHundredths, LambdaScale scale);

// The TPS zone from the state byte's two low bits, never past the last segment.
int ClampZone(int zone);

// The minimum TPS voltage the ECU learned, as the installer should read it:
// the idle hysteresis is added when the idle TPS is fixed (and the sum stays
// on the 5 V scale), and an inverted sensor is read from the other end.
int CorrectedMinTps(std::uint8_t raw, int hysteresisHundredths, bool fixedIdleTps,
                    bool tpsInverted);

// Displayed temperature: kNoTemperature for raw 0 (no reading) and for a
// curve result of -1000 (no sensor), else the whole degrees toward zero.
int LiveTemperature(std::uint8_t raw, double celsius);

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

// Needle angle in degrees, counter-clockwise from the positive x axis:
// 0 rpm points bottom-left (225), 3000 up (90), 6000 bottom-right (-45).
double NeedleAngleDegrees(int rpm);
int NeedleLength(int radius);
// End point of the needle in widget coordinates (y grows downwards).
Point NeedleEnd(Point centre, int radius, int rpm);

// Where the dial goes inside its bevel and where its seven scale labels
// ("0" to "6" thousand rpm) have their top-left corners.
struct DialGeometry {
    int radius = 0;
    Point centre;
    int k = 0;                      // radius / sqrt(2): the diagonal offset
    std::array<Point, 7> labels{};
    int contaGiriTop = 0;           // the "rpm" caption, centred on cx
    int giriTop = 0;                // the speed text, centred on cx
};
DialGeometry DialFor(int left, int top, int width, int height, int labelFontPointSize);

// Inner-disc radius and the diagonal offset of its marks.
int InnerRadius(int radius);
int InnerDiagonal(int radius);

// The actuator scale beside the vertical track bar: the pixel span that
// positions 0..255 cover and its top, both scaled with the screen width.
struct ActuatorScale {
    int usableHeight = 0;           // H
    int offset = 0;                 // T
};
ActuatorScale ActuatorScaleFor(int screenWidth, int trackBarHeight, int trackBarTop);

// Top of the default-position marker label.
int DefaultMarkerTop(int defaultPosition, ActuatorScale scale);

struct RangeBar {
    int top = 0;
    int height = 0;
    bool operator==(const RangeBar&) const = default;
};

// Limits and step counts read from the record when the window opens.
struct ActuatorLimits {
    int lower = 0;
    int upper = 255;
    int idleOpenMax = 0;
    int idleCloseMax = 0;
    int offIdleOpenMax = 0;
    int offIdleCloseMax = 0;
    int offIdleOpen = 0;
};

// Steps the actuator may move above and below its default position.
struct StepRange {
    int up = 0;
    int down = 0;
    bool operator==(const StepRange&) const = default;
};
StepRange OffIdleRange(int defaultPosition, int zone, const ActuatorLimits& limits);
StepRange IdleRange(int defaultPosition, const ActuatorLimits& limits);

// The bar for a range around the marker's middle y.
RangeBar RangeBarFor(StepRange range, int markerMiddleY, ActuatorScale scale);

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};
Rgb TpsZoneColour(int zone);
Rgb LambdaStateColour(int state);

// Bits of the live pages.
inline constexpr int kUpperLimitFlag = 128;
inline constexpr int kLowerLimitFlag = 64;
inline constexpr int kCutOffFlag = 4;
inline constexpr int kGasFlag = 8;
inline constexpr int kRangeBarsFlag = 1;

}  // namespace lumex::live

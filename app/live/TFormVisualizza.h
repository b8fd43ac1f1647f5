#pragma once
// TFormVisualizza: the live parameter display. While it is open it polls the
// ECU's two live pages every 100 ms and shows engine speed on a round dial,
// the lambda probe and TPS voltages as segment bars, the actuator on a
// vertical scale with its limits, default position and allowed ranges, and
// temperature, gas level and petrol/gas state.
//
// The poll is cheap on purpose: it runs for as long as an installer watches.
// Each tick compares the new readings with what is on screen and touches only
// the widgets whose value changed; texts are formatted only then, and the
// colours are prepared once when the window is created.
//
// Created by its opener (main window or an editor), shown modally, destroyed
// by the opener after it closes. User-interface thread only; it reads the
// record, the link and the dictionary from App() when it is created.

#include "LiveMath.h"

#include <QDialog>
#include <QPalette>
#include <QString>

#include <array>
#include <climits>
#include <cstdint>
#include <memory>

class QFrame;
class QTimer;

namespace lumex {
class ConfCar;
class EcuLink;
}

namespace Ui {
class TFormVisualizza;
}

namespace lumex::app {

class TFormVisualizza : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDictionaryErrorCode = 1;
    static constexpr int kPollIntervalMs = 100;
    // Ticks between two reads of the slow page (temperature, level, ...).
    static constexpr int kSlowPageEvery = 10;

    explicit TFormVisualizza(QWidget* owner = nullptr);
    ~TFormVisualizza() override;

    // One poll: the timer's handler, callable directly by tests and benchmarks.
    void Timer1Timer();

    QTimer* Timer1 = nullptr;

    // What the poll last took from the pages (for tests and the benchmark).
    int CurrentRpm() const { return m_rpm; }
    int LitLambdaSegment() const { return m_litSegment; }
    int LitZone() const { return m_litZone; }
    const live::DialGeometry& Dial() const { return m_dial; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Creation steps.
    void ReadRecordSettings();
    void ScaleToScreen();
    void ApplyReducedModel();
    void PlaceDial();
    void FillTexts();
    void PrepareColours();

    // Poll steps.
    void ReadFastPage(EcuLink& link);
    void ReadSlowPage(EcuLink& link);
    void ShowSlowValues();
    void ShowFastValues();
    void ShowZone();
    void ShowLambdaSegment();
    void ShowLimitFlags();
    void ShowRangeBars();
    void MoveNeedle(int fromRpm, int toRpm);

    QString Volts(int hundredths) const;
    QRect NeedleBounds(int rpm) const;

    std::unique_ptr<Ui::TFormVisualizza> ui;
    ConfCar* m_record = nullptr;
    EcuLink* m_link = nullptr;

    // Held texts from the dictionary (empty when the fill did not reach them).
    QString m_textPetrol;
    QString m_textGas;
    QString m_unitVolt;
    QString m_unitRpm;
    QString m_textNoValue;
    QString m_decimalPoint;

    // Settings read once from the record.
    live::ActuatorLimits m_limits;
    live::LambdaScale m_lambdaScale;
    int m_screenWidth = 800;

    // Live values as the pages last reported them.
    std::array<std::uint8_t, 20> m_page{};
    int m_rpm = 0;
    int m_lambda = 0;
    int m_tps = 0;
    int m_lambdaState = 0;
    int m_zone = 0;
    int m_actuatorFlags = 0;
    int m_actuator = 0;
    int m_temperature = live::kNoTemperature;
    int m_gasLevel = 0;
    int m_gasFlags = 0;
    int m_minTps = 0;
    int m_liveDefault = 0;
    std::uint8_t m_slowCountdown = 0;

    // What is on screen now; INT_MIN forces the first drawing.
    static constexpr int kNotShown = INT_MIN;
    int m_shownTps = kNotShown;
    int m_shownLambda = kNotShown;
    int m_shownActuator = kNotShown;
    int m_shownRpm = kNotShown;
    int m_shownMinTps = kNotShown;
    int m_shownTemperature = kNotShown;
    int m_shownLevel = kNotShown;
    int m_shownGas = kNotShown;
    int m_shownDefault = kNotShown;
    int m_shownFlags = kNotShown;
    int m_litZone = -1;
    int m_litSegment = -1;
    int m_litState = -1;

    // Geometry.
    live::DialGeometry m_dial;
    int m_paintedRpm = 0;           // the speed the needle on screen shows
    live::ActuatorScale m_actuatorScale;
    std::array<QFrame*, live::kLambdaSegments> m_lambdaSegments{};
    std::array<QFrame*, live::kTpsZones> m_tpsSegments{};

    // Colours, prepared once so the poll only hands out shared palettes.
    QPalette m_unlit;
    std::array<QPalette, live::kTpsZones> m_zonePalettes;
    std::array<QPalette, 4> m_lambdaPalettes;
    QPalette m_limitReached;
    QPalette m_limitNormal;
    QPalette m_gasPalette;
    QPalette m_petrolPalette;
    QColor m_outerDisc;
    QColor m_innerDisc;
};

}  // namespace lumex::app

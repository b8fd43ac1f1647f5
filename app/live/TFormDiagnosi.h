#pragma once
// TFormDiagnosi: switches the ECU's three lambda-probe checks on and off and
// shows whether each has found a fault. Row i uses the bit of value 2^i of
// DiagnosticsEnable (the check boxes) and of DiagnosticsErrors (the states);
// the faults are read again from the ECU every two seconds while connected
// and can be cleared.
//
// Created by the main window, shown modally, destroyed after it closes.
// User-interface thread only; it reads the record and the dictionary from
// App() when it is created.

#include <QDialog>
#include <QPalette>
#include <QString>

#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace lumex {
class ConfCar;
}

namespace Ui {
class TFormDiagnosi;
}

namespace lumex::app {

class TFormDiagnosi : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDictionaryErrorCode = 5;
    static constexpr int kRefreshIntervalMs = 2000;
    static constexpr int kRows = 3;

    explicit TFormDiagnosi(QWidget* owner = nullptr);
    ~TFormDiagnosi() override;

    // The refresh: the timer's handler, callable directly by tests.
    void Timer1Timer();

    QTimer* Timer1 = nullptr;
    int EnableMask() const { return m_enableMask; }
    int FaultMask() const { return m_faultMask; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillTexts();
    void ReadMasks();
    void CheckBoxClick(QCheckBox* box);
    void ShowState(int row);
    void ShowAllStates();
    void ButtonResetClick();
    void CheckBoxFocus(QCheckBox* box, bool entering);
    void ButtonFocus(QPushButton* button, bool entering);
    void ShowStateText(QLabel* label, const QString& text);

    std::unique_ptr<Ui::TFormDiagnosi> ui;
    ConfCar* m_record = nullptr;
    std::array<QCheckBox*, kRows> m_boxes{};
    std::array<QLabel*, kRows> m_descriptions{};
    std::array<QLabel*, kRows> m_states{};
    int m_enableMask = 0;
    int m_faultMask = 0;
    QString m_textOk;
    QString m_textFault;
    QPalette m_okPalette;
    QPalette m_faultPalette;
};

}  // namespace lumex::app

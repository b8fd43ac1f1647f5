#include "TFormDiagnosi.h"

#include "AppGlobals.h"
#include "ConfCar.h"
#include "EcuLink.h"
#include "Seams.h"
#include "TModuloLingua.h"
#include "ToolWindowFactory.h"
#include "ui_TFormDiagnosi.h"

#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace lumex::app {

namespace {

QPalette WithTextColour(QPalette palette, const QColor& colour)
{
    palette.setColor(QPalette::WindowText, colour);
    return palette;
}

int Mask(double value) { return static_cast<int>(std::trunc(value)); }

ToolWindowRegistrar registrar{[](ToolWindowFactory& factory) {
    factory.diagnosi = [](QWidget* owner) -> std::unique_ptr<QDialog> {
        return std::make_unique<TFormDiagnosi>(owner);
    };
}};

}  // namespace

TFormDiagnosi::TFormDiagnosi(QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TFormDiagnosi>()), m_record(App().record)
{
    ui->setupUi(this);
    setFixedSize(size());
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());

    m_boxes = {ui->CheckBox1, ui->CheckBox2, ui->CheckBox3};
    m_descriptions = {ui->LabelDLambdaGiusto, ui->LabelDLambdaMagro, ui->LabelDLambdaRicco};
    m_states = {ui->LabelStato1, ui->LabelStato2, ui->LabelStato3};
    const QPalette states = ui->LabelStato1->palette();
    m_okPalette = WithTextColour(states, QColor(0, 128, 0));
    m_faultPalette = WithTextColour(states, QColor(255, 0, 0));

    for (int row = 0; row < kRows; ++row) {
        QCheckBox* box = m_boxes[std::size_t(row)];
        SetTag(box, row);
        box->installEventFilter(this);
        connect(box, &QCheckBox::toggled, this, [this, box] { CheckBoxClick(box); });
    }
    for (QPushButton* button : {ui->ButtonReset, ui->ButtonEsci})
        button->installEventFilter(this);
    connect(ui->ButtonEsci, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->ButtonReset, &QPushButton::clicked, this, &TFormDiagnosi::ButtonResetClick);

    FillTexts();
    ReadMasks();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kRefreshIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TFormDiagnosi::Timer1Timer);
    Timer1->start();
}

TFormDiagnosi::~TFormDiagnosi() = default;

void TFormDiagnosi::FillTexts()
{
    auto into = [](QWidget* w) {
        return [w](const QString& text) { w->setProperty("text", text); };
    };
    const std::vector<TextSlot> slots{
        {QStringLiteral("LabelAbilDiagnosi"), 30, into(ui->LabelAbilDiagnosi)},
        {QStringLiteral("LabelStatoDiagnosi"), 30, into(ui->LabelStatoDiagnosi)},
        {QStringLiteral("ButtonEsci"), 20, into(ui->ButtonEsci)},
        {QStringLiteral("ButtonReset"), 20, into(ui->ButtonReset)},
        {QStringLiteral("LabelDLambdaGiusto"), 50, into(ui->LabelDLambdaGiusto)},
        {QStringLiteral("LabelDLambdaMagro"), 50, into(ui->LabelDLambdaMagro)},
        {QStringLiteral("LabelDLambdaRicco"), 50, into(ui->LabelDLambdaRicco)},
        {QStringLiteral("FinestraDiagnosi"), 50, [this](const QString& t) { setWindowTitle(t); }},
        {QStringLiteral("LabelStatoErrore"), 15, [this](const QString& t) { m_textFault = t; }},
        {QStringLiteral("LabelStatoOk"), 15, [this](const QString& t) { m_textOk = t; }},
    };
    if (TModuloLingua* dictionary = App().dictionary)
        dictionary->FillTexts(kDictionaryErrorCode, slots);
    else
        ShowMessage(nullptr, TModuloLingua::FailureMessage(kDictionaryErrorCode),
                    App().applicationTitle, QMessageBox::Critical);
}

void TFormDiagnosi::ReadMasks()
{
    if (m_record) {
        // Reading the faults asks the ECU for them first.
        m_faultMask = Mask(m_record->ReadValue(DiagnosticsErrors));
        m_enableMask = Mask(m_record->ReadValue(DiagnosticsEnable));
    }
    // Checking a box runs the click handling, which writes the same mask back.
    const int enabled = m_enableMask;
    for (int row = 0; row < kRows; ++row) {
        m_boxes[std::size_t(row)]->setChecked((enabled & (1 << row)) != 0);
        ShowState(row);
    }
}

void TFormDiagnosi::CheckBoxClick(QCheckBox* box)
{
    const int bit = 1 << TagOf(box);
    if (box->isChecked())
        m_enableMask |= bit;
    else
        m_enableMask &= ~bit;
    if (m_record)
        m_record->WriteValue(DiagnosticsEnable, m_enableMask);
}

void TFormDiagnosi::ShowStateText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setPalette(label->text() == m_textOk ? m_okPalette : m_faultPalette);
}

void TFormDiagnosi::ShowState(int row)
{
    const bool fault = (m_faultMask & (1 << row)) != 0;
    ShowStateText(m_states[std::size_t(row)], fault ? m_textFault : m_textOk);
}

void TFormDiagnosi::ShowAllStates()
{
    for (int row = 0; row < kRows; ++row)
        ShowState(row);
}

void TFormDiagnosi::Timer1Timer()
{
    EcuLink* link = App().link;
    if (!link || !link->IsConnected() || !m_record)
        return;
    m_faultMask = Mask(m_record->ReadValue(DiagnosticsErrors));
    ShowAllStates();
}

void TFormDiagnosi::ButtonResetClick()
{
    // A fixed "OK" until the next refresh shows the ECU's answer.
    for (QLabel* state : m_states) {
        state->setText(QStringLiteral("OK"));
        state->setPalette(m_okPalette);
    }
    m_faultMask = 0;
    if (m_record)
        m_record->WriteValue(DiagnosticsErrors, 0);
}

void TFormDiagnosi::CheckBoxFocus(QCheckBox* box, bool entering)
{
    QLabel* description = m_descriptions[std::size_t(TagOf(box))];
    if (entering) {
        QPalette highlighted = description->palette();
        highlighted.setColor(QPalette::WindowText, Qt::white);
        highlighted.setColor(QPalette::Window,
                             palette().color(QPalette::Active, QPalette::Highlight));
        description->setPalette(highlighted);
    } else {
        description->setPalette(description->parentWidget()->palette());
        description->setFont(description->parentWidget()->font());
    }
}

void TFormDiagnosi::ButtonFocus(QPushButton* button, bool entering)
{
    QFont font = button->font();
    font.setPointSizeF(font.pointSizeF() + (entering ? 2 : -2));
    button->setFont(font);
}

bool TFormDiagnosi::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (auto* box = qobject_cast<QCheckBox*>(watched)) {
        if (type == QEvent::FocusIn || type == QEvent::FocusOut)
            CheckBoxFocus(box, type == QEvent::FocusIn);
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                box->toggle();
                return true;
            }
        }
    } else if (auto* button = qobject_cast<QPushButton*>(watched)) {
        if (type == QEvent::FocusIn || type == QEvent::FocusOut)
            ButtonFocus(button, type == QEvent::FocusIn);
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace lumex::app

#include "TFormVisualizza.h"

#include "AppGlobals.h"
#include "ConfCar.h"
#include "Conversions.h"
#include "EcuLink.h"
#include "Seams.h"
#include "TModuloLingua.h"
#include "ToolWindowFactory.h"
#include "ui_TFormVisualizza.h"

#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace lumex::app {

namespace {

constexpr int kReferenceScreenWidth = 800;
// Live page 0 uses bytes 0..5, page 1 bytes 0..4; a shorter answer is
// treated as a failed read rather than mixing in bytes of another page.
constexpr int kFastPageBytes = 6;
constexpr int kSlowPageBytes = 5;

QColor ToColour(live::Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

QPalette WithRole(QPalette palette, QPalette::ColorRole role, const QColor& colour)
{
    palette.setColor(role, colour);
    return palette;
}

// Whole hundredths of a volt from a record value in volts. The record hands
// out n x 0.01 as the nearest double, which for about half of all n lies a
// hair below: a plain trunc(v x 100) would turn a stored 0.30 V into 29.
// The tolerance only absorbs that representation error; real fractions of a
// hundredth are still cut toward zero.
int TruncTimesHundred(double value)
{
    constexpr long double kRepresentationError = 1e-9L;
    const long double scaled = static_cast<long double>(value) * 100.0L;
    return static_cast<int>(std::trunc(scaled + (scaled < 0 ? -kRepresentationError
                                                            : kRepresentationError)));
}

ToolWindowRegistrar registrar{[](ToolWindowFactory& factory) {
    factory.visualizza = [](QWidget* owner) -> std::unique_ptr<QDialog> {
        return std::make_unique<TFormVisualizza>(owner);
    };
}};

}  // namespace

TFormVisualizza::TFormVisualizza(QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TFormVisualizza>()),
      m_record(App().record), m_link(App().link)
{
    ui->setupUi(this);
    m_lambdaSegments = {ui->SegmentLambda0, ui->SegmentLambda1, ui->SegmentLambda2,
                        ui->SegmentLambda3, ui->SegmentLambda4, ui->SegmentLambda5,
                        ui->SegmentLambda6, ui->SegmentLambda7, ui->SegmentLambda8,
                        ui->SegmentLambda9};
    m_tpsSegments = {ui->SegmentTps0, ui->SegmentTps1, ui->SegmentTps2, ui->SegmentTps3};
    m_decimalPoint = QLocale().decimalPoint();
    connect(ui->ButtonEsci, &QPushButton::clicked, this, &QDialog::reject);

    ReadRecordSettings();
    ScaleToScreen();
    ApplyReducedModel();
    PlaceDial();
    FillTexts();
    PrepareColours();

    if (QScreen* s = screen())
        move(s->availableGeometry().topLeft());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kPollIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TFormVisualizza::Timer1Timer);
    Timer1->start();
}

TFormVisualizza::~TFormVisualizza() = default;

// --- Creation ---------------------------------------------------------------

void TFormVisualizza::ReadRecordSettings()
{
    if (!m_record)
        return;
    ConfCar& record = *m_record;
    auto whole = [&record](ParamIndex index) { return static_cast<int>(record.ReadValue(index)); };
    m_limits.lower = whole(ActuatorLowerLimit);
    m_limits.upper = whole(ActuatorUpperLimit);
    m_limits.idleOpenMax = whole(IdleOpenStepsMax);
    m_limits.idleCloseMax = whole(IdleCloseStepsMax);
    m_limits.offIdleOpenMax = whole(OffIdleOpenStepsMax);
    m_limits.offIdleCloseMax = whole(OffIdleCloseStepsMax);
    m_limits.offIdleOpen = whole(OffIdleOpenSteps);
    m_lambdaScale = live::LambdaScaleFor(whole(LambdaType),
                                         TruncTimesHundred(record.ReadValue(LambdaRefOffset)));
    ui->StaticTextInf->setText(QString::number(m_limits.lower));
    ui->StaticTextSup->setText(QString::number(m_limits.upper));
}

void TFormVisualizza::ScaleToScreen()
{
    if (QScreen* s = screen())
        m_screenWidth = s->geometry().width();
    if (m_screenWidth != kReferenceScreenWidth && m_screenWidth > 0) {
        const double factor = double(m_screenWidth) / kReferenceScreenWidth;
        auto scaled = [factor](const QRect& r) {
            return QRect(qRound(r.x() * factor), qRound(r.y() * factor),
                         qRound(r.width() * factor), qRound(r.height() * factor));
        };
        // Controls with a font size of their own keep it in proportion; the
        // others inherit the window's font, scaled last.
        for (QWidget* child : findChildren<QWidget*>()) {
            child->setGeometry(scaled(child->geometry()));
            if (child->font().resolveMask() & QFont::SizeResolved) {
                QFont font = child->font();
                font.setPointSizeF(font.pointSizeF() * factor);
                child->setFont(font);
            }
        }
        QFont font = this->font();
        font.setPointSizeF(font.pointSizeF() * factor);
        setFont(font);
        resize(scaled(rect()).size());
    }
    setFixedSize(size());
}

void TFormVisualizza::ApplyReducedModel()
{
    if (!m_record || !m_record->ReducedModel)
        return;
    const std::initializer_list<QWidget*> others{
        ui->Bevel2, ui->LabelVisAltri, ui->LabelVisTemp, ui->StaticTextTemp, ui->Bevel3,
        ui->LabelVisLivello, ui->StaticTextLivello, ui->Bevel4, ui->LabelVisFunz};
    for (QWidget* w : others)
        w->hide();
    ui->BevelGiri->resize(ui->BevelTps->width(), ui->BevelGiri->height());
}

void TFormVisualizza::PlaceDial()
{
    const QRect bevel = ui->BevelGiri->geometry();
    m_dial = live::DialFor(bevel.left(), bevel.top(), bevel.width(), bevel.height(),
                           ui->LabelRifGiri2->font().pointSize());
    QLabel* labels[] = {ui->LabelRifGiri1, ui->LabelRifGiri2, ui->LabelRifGiri3, ui->LabelRifGiri4,
                        ui->LabelRifGiri5, ui->LabelRifGiri6, ui->LabelRifGiri7};
    for (std::size_t i = 0; i < m_dial.labels.size(); ++i)
        labels[i]->move(m_dial.labels[i].x, m_dial.labels[i].y);
    const int cx = m_dial.centre.x;
    ui->LabelVisContaGiri->move(cx - ui->LabelVisContaGiri->width() / 2, m_dial.contaGiriTop);
    ui->StaticTextGiri->move(cx - ui->StaticTextGiri->width() / 2, m_dial.giriTop);

    const QRect track = ui->TrackBarMax->geometry();
    m_actuatorScale = live::ActuatorScaleFor(m_screenWidth, track.height(), track.top());
}

void TFormVisualizza::FillTexts()
{
    auto into = [](QWidget* w) {
        return [w](const QString& text) { w->setProperty("text", text); };
    };
    auto held = [](QString& target) { return [&target](const QString& text) { target = text; }; };
    const std::vector<TextSlot> slots{
        {QStringLiteral("LabelVisLambda"), 10, into(ui->LabelVisLambda)},
        {QStringLiteral("LabelVisTps"), 10, into(ui->LabelVisTps)},
        {QStringLiteral("LabelVisMinTps"), 10, into(ui->LabelVisMinTps)},
        {QStringLiteral("LabelVisCutoff"), 10, into(ui->LabelVisCutoff)},
        {QStringLiteral("LabelVisGiri"), 12, into(ui->LabelVisGiri)},
        {QStringLiteral("LabelVisAltri"), 15, into(ui->LabelVisAltri)},
        {QStringLiteral("LabelVisTemp"), 15, into(ui->LabelVisTemp)},
        {QStringLiteral("LabelVisLivello"), 15, into(ui->LabelVisLivello)},
        {QStringLiteral("LabelVisFunz"), 15, into(ui->LabelVisFunz)},
        {QStringLiteral("LabelVisAtt"), 20, into(ui->LabelVisAtt)},
        {QStringLiteral("LabelVisDefault"), 15, into(ui->LabelVisDefault)},
        {QStringLiteral("LabelVisDef2"), 5, into(ui->LabelVisDef2)},
        {QStringLiteral("LabelVisPos"), 15, into(ui->LabelVisPos)},
        {QStringLiteral("LabelVisContaGiri"), 12, into(ui->LabelVisContaGiri)},
        {QStringLiteral("ButtonEsci"), 10, into(ui->ButtonEsci)},
        {QStringLiteral("FinestraVisualizza"), 50,
         [this](const QString& text) { setWindowTitle(text); }},
        {QStringLiteral("LabelFunzBenzina"), 15, held(m_textPetrol)},
        {QStringLiteral("LabelFunzGas"), 15, held(m_textGas)},
        {QStringLiteral("UnitaVolt"), 5, held(m_unitVolt)},
        {QStringLiteral("UnitaGiri"), 5, held(m_unitRpm)},
        {QStringLiteral("MessND"), 5, held(m_textNoValue)},
    };
    if (TModuloLingua* dictionary = App().dictionary)
        dictionary->FillTexts(kDictionaryErrorCode, slots);
    else
        ShowMessage(nullptr, TModuloLingua::FailureMessage(kDictionaryErrorCode),
                    App().applicationTitle, QMessageBox::Critical);
    ui->LabelComm->setText(m_textPetrol);
}

void TFormVisualizza::PrepareColours()
{
    m_unlit = ui->SegmentTps0->palette();
    for (int zone = 0; zone < live::kTpsZones; ++zone)
        m_zonePalettes[std::size_t(zone)] =
            WithRole(m_unlit, QPalette::Window, ToColour(live::TpsZoneColour(zone)));
    for (int state = 0; state < 4; ++state)
        m_lambdaPalettes[std::size_t(state)] =
            WithRole(m_unlit, QPalette::Window, ToColour(live::LambdaStateColour(state)));

    const QPalette text = ui->LabelSup->palette();
    m_outerDisc = palette().color(QPalette::Dark);
    m_innerDisc = palette().color(QPalette::Active, QPalette::Highlight);
    m_limitReached = WithRole(text, QPalette::WindowText, Qt::red);
    m_limitNormal = WithRole(text, QPalette::WindowText, m_innerDisc);
    m_gasPalette = WithRole(ui->LabelComm->palette(), QPalette::WindowText, Qt::red);
    m_petrolPalette = WithRole(ui->LabelComm->palette(), QPalette::WindowText, QColor(0, 128, 0));
    ui->LabelSup->setPalette(m_limitNormal);
    ui->LabelInf->setPalette(m_limitNormal);
    ui->ShapeFMin->setPalette(WithRole(m_unlit, QPalette::Window, QColor(255, 128, 0)));
    ui->ShapeMin->setPalette(WithRole(m_unlit, QPalette::Window, QColor(0, 160, 0)));
    ui->ShapeSel->setPalette(WithRole(m_unlit, QPalette::Window, m_innerDisc));
    for (QFrame* segment : m_lambdaSegments)
        segment->setPalette(m_unlit);
    for (QFrame* segment : m_tpsSegments)
        segment->setPalette(m_unlit);
}

// --- Poll -------------------------------------------------------------------

void TFormVisualizza::Timer1Timer()
{
    if (m_link && m_link->IsConnected()) {
        ReadFastPage(*m_link);
        if (m_slowCountdown != 0) {
            --m_slowCountdown;
        } else {
            ReadSlowPage(*m_link);
            ShowSlowValues();
            m_slowCountdown = kSlowPageEvery;
        }
    }
    ShowFastValues();
}

void TFormVisualizza::ReadFastPage(EcuLink& link)
{
    int length = kLivePageLength;
    if (!link.ReadLive(0, m_page.data(), length) || length < kFastPageBytes)
        return;
    m_rpm = live::RpmFromPeriod(m_page[0]);
    m_lambda = Hundredths(m_page[1]);
    m_tps = Hundredths(m_page[2]);
    m_zone = live::ClampZone(m_page[3] & 3);
    m_lambdaState = (m_page[3] >> 4) & 3;
    m_actuatorFlags = m_page[4];
    m_actuator = m_page[5];
}

void TFormVisualizza::ReadSlowPage(EcuLink& link)
{
    int length = kLivePageLength;
    if (!link.ReadLive(1, m_page.data(), length) || length < kSlowPageBytes)
        return;
    m_temperature = live::LiveTemperature(m_page[0], Celsius(m_page[0]));
    m_gasLevel = m_page[1];
    m_gasFlags = m_page[2];
    m_liveDefault = m_page[4];
    if (m_record) {
        const int hysteresis = TruncTimesHundred(m_record->ReadValue(IdleTpsHysteresis));
        const bool fixedIdleTps = m_record->ReadValue(FixedIdleTps) != 0;
        m_minTps = live::CorrectedMinTps(m_page[3], hysteresis, fixedIdleTps,
                                         m_record->TpsInverted());
    } else {
        m_minTps = live::CorrectedMinTps(m_page[3], 0, false, false);
    }
}

void TFormVisualizza::ShowSlowValues()
{
    if (m_minTps != m_shownMinTps) {
        ui->StaticTextMinTps->setText(Volts(m_minTps));
        m_shownMinTps = m_minTps;
    }
    if (m_temperature != m_shownTemperature) {
        ui->StaticTextTemp->setText(m_temperature == live::kNoTemperature
                                        ? m_textNoValue
                                        : QString::number(m_temperature));
        m_shownTemperature = m_temperature;
    }
    if (m_gasLevel != m_shownLevel) {
        ui->StaticTextLivello->setText(QString::number(m_gasLevel));
        m_shownLevel = m_gasLevel;
    }
    const int onGas = (m_gasFlags & live::kGasFlag) ? 1 : 0;
    if (onGas != m_shownGas) {
        ui->LabelComm->setText(onGas ? m_textGas : m_textPetrol);
        ui->LabelComm->setPalette(onGas ? m_gasPalette : m_petrolPalette);
        m_shownGas = onGas;
    }
    ShowRangeBars();
    if (m_liveDefault != m_shownDefault) {
        ui->StaticTextDef->setText(QString::number(m_liveDefault));
        m_shownDefault = m_liveDefault;
    }
}

void TFormVisualizza::ShowRangeBars()
{
    // The track bar runs from 255 at the top to 0 at the bottom, so the
    // allowed band lies between the marker rows of the two limits.
    const int selectionTop = live::DefaultMarkerTop(m_limits.upper, m_actuatorScale);
    const int selectionBottom = live::DefaultMarkerTop(m_limits.lower, m_actuatorScale);
    QFrame* selection = ui->ShapeSel;
    selection->setGeometry(selection->x(), selectionTop, selection->width(),
                           std::max(0, selectionBottom - selectionTop));

    const int markerTop = live::DefaultMarkerTop(m_liveDefault, m_actuatorScale);
    ui->LabelDef->move(ui->LabelDef->x(), markerTop);
    ui->LabelVisDef2->move(ui->LabelVisDef2->x(), markerTop);
    const int middle = markerTop + ui->LabelDef->height() / 2;

    auto place = [this, middle](QFrame* shape, live::StepRange range) {
        const live::RangeBar bar = live::RangeBarFor(range, middle, m_actuatorScale);
        shape->setGeometry(shape->x(), bar.top, shape->width(), std::max(0, bar.height));
    };
    place(ui->ShapeFMin, live::OffIdleRange(m_liveDefault, m_zone, m_limits));
    place(ui->ShapeMin, live::IdleRange(m_liveDefault, m_limits));
}

void TFormVisualizza::ShowFastValues()
{
    if (m_tps != m_shownTps) {
        ui->StaticTextTps->setText(Volts(m_tps));
        m_shownTps = m_tps;
    }
    ShowZone();
    if (m_actuator != m_shownActuator) {
        ui->TrackBarMax->setValue(255 - m_actuator);
        ui->StaticTextMot->setText(QString::number(m_actuator));
        m_shownActuator = m_actuator;
    }
    const bool rangeBars = (m_gasFlags & live::kRangeBarsFlag) != 0;
    if (ui->ShapeFMin->isHidden() == rangeBars) {
        ui->ShapeFMin->setVisible(rangeBars);
        ui->ShapeMin->setVisible(rangeBars);
    }
    ShowLimitFlags();
    if (m_lambda != m_shownLambda) {
        ui->StaticTextLambda->setText(Volts(m_lambda));
        m_shownLambda = m_lambda;
    }
    ShowLambdaSegment();
    if (m_rpm != m_shownRpm) {
        ui->StaticTextGiri->setText(QString::number(m_rpm) + QLatin1Char(' ') + m_unitRpm);
        m_shownRpm = m_rpm;
        MoveNeedle(m_paintedRpm, m_rpm);
    }
}

void TFormVisualizza::ShowZone()
{
    if (m_zone == m_litZone)
        return;
    if (m_litZone >= 0)
        m_tpsSegments[std::size_t(m_litZone)]->setPalette(m_unlit);
    m_tpsSegments[std::size_t(m_zone)]->setPalette(m_zonePalettes[std::size_t(m_zone)]);
    m_litZone = m_zone;
}

void TFormVisualizza::ShowLambdaSegment()
{
    const int segment = live::LambdaSegment(m_lambda, m_lambdaScale);
    if (segment == m_litSegment && m_lambdaState == m_litState)
        return;
    if (m_litSegment >= 0 && segment != m_litSegment)
        m_lambdaSegments[std::size_t(m_litSegment)]->setPalette(m_unlit);
    m_lambdaSegments[std::size_t(segment)]->setPalette(m_lambdaPalettes[std::size_t(m_lambdaState)]);
    m_litSegment = segment;
    m_litState = m_lambdaState;
}

void TFormVisualizza::ShowLimitFlags()
{
    if (m_actuatorFlags == m_shownFlags)
        return;
    ui->LabelSup->setPalette((m_actuatorFlags & live::kUpperLimitFlag) ? m_limitReached
                                                                       : m_limitNormal);
    ui->LabelInf->setPalette((m_actuatorFlags & live::kLowerLimitFlag) ? m_limitReached
                                                                       : m_limitNormal);
    ui->LabelVisCutoff->setVisible((m_actuatorFlags & live::kCutOffFlag) != 0);
    m_shownFlags = m_actuatorFlags;
}

QString TFormVisualizza::Volts(int hundredths) const
{
    const int magnitude = std::abs(hundredths);
    QString text;
    if (hundredths < 0)
        text += QLatin1Char('-');
    text += QString::number(magnitude / 100);
    text += m_decimalPoint;
    text += QString::number(magnitude % 100).rightJustified(2, QLatin1Char('0'));
    text += QLatin1Char(' ');
    text += m_unitVolt;
    return text;
}

// --- Dial -------------------------------------------------------------------

QRect TFormVisualizza::NeedleBounds(int rpm) const
{
    const live::Point end = live::NeedleEnd(m_dial.centre, m_dial.radius, rpm);
    // The pen is 5 pixels wide with square caps: half of its diagonal on each side.
    constexpr int kMargin = 5;
    return QRect(QPoint(m_dial.centre.x, m_dial.centre.y), QPoint(end.x, end.y))
        .normalized()
        .adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

void TFormVisualizza::MoveNeedle(int fromRpm, int toRpm)
{
    // Repainting the two needles' boxes lets the inner disc wipe the old
    // needle and the new one be drawn over it; nothing else of the dial moves.
    update(NeedleBounds(fromRpm) | NeedleBounds(toRpm));
}

void TFormVisualizza::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPoint centre(m_dial.centre.x, m_dial.centre.y);
    const int r = m_dial.radius;
    const int a = live::InnerRadius(r);
    const int b = live::InnerDiagonal(r);
    const int cx = centre.x();
    const int cy = centre.y();

    p.setPen(QPen(Qt::black, 1));
    p.setBrush(m_outerDisc);
    p.drawEllipse(centre, r, r);
    p.setBrush(m_innerDisc);
    p.drawEllipse(centre, a, a);

    p.setPen(QPen(Qt::white, 2));
    for (int sx : {-1, 1})
        for (int sy : {-1, 1})
            p.drawLine(cx + sx * b, cy + sy * b, cx + sx * (b - 10), cy + sy * (b - 10));
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(cx, cy - a, cx, cy - a + 15);
    p.drawLine(cx - a, cy, cx - a + 15, cy);
    p.drawLine(cx + a, cy, cx + a - 15, cy);

    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::white);
    p.drawEllipse(centre, 5, 5);

    const live::Point end = live::NeedleEnd(m_dial.centre, r, m_rpm);
    p.setPen(QPen(Qt::white, 5));
    p.drawLine(centre, QPoint(end.x, end.y));
    m_paintedRpm = m_rpm;
}

void TFormVisualizza::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F12) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace lumex::app

// The live parameter display through its widgets: what the pages make it
// show, what it keeps when the link fails, the reduced layout, the texts,
// closing, and a run against the virtual ECU.
#include "LiveTestSupport.h"

#include "Conversions.h"
#include "LiveMath.h"
#include "TFormVisualizza.h"
#include "VirtualEcu.h"

#include <QFrame>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>
#include <set>

namespace lumex::test {
namespace {

using app::TFormVisualizza;

std::vector<std::uint8_t> Page0(int period, int lambda = 0, int tps = 0, int state = 0,
                                int flags = 0, int actuator = 0)
{
    return {std::uint8_t(period), std::uint8_t(lambda), std::uint8_t(tps),
            std::uint8_t(state), std::uint8_t(flags), std::uint8_t(actuator)};
}

std::vector<std::uint8_t> Page1(int temperature, int level = 0, int gasFlags = 0, int minTps = 0,
                                int defaultPosition = 0)
{
    return {std::uint8_t(temperature), std::uint8_t(level), std::uint8_t(gasFlags),
            std::uint8_t(minTps), std::uint8_t(defaultPosition)};
}

QString VoltText(const char* digits)
{
    return QString::fromLatin1(digits).replace(QLatin1Char('.'), QLocale().decimalPoint()) +
           QStringLiteral(" V");
}

class Visualizza : public LiveWindowFixture {
protected:
    // Creates the window with its timer stopped, so that every tick is the test's.
    std::unique_ptr<TFormVisualizza> Open()
    {
        auto window = std::make_unique<TFormVisualizza>();
        window->Timer1->stop();
        return window;
    }

    int LivePageReads(int page) const
    {
        int reads = 0;
        for (const LinkCall& call : link.Calls())
            reads += call.op == LinkOp::ReadLive && int(call.code) == page;
        return reads;
    }

    static QColor SegmentColour(TFormVisualizza& w, const QString& name)
    {
        return w.findChild<QFrame*>(name)->palette().color(QPalette::Window);
    }
};

TEST_F(Visualizza, EngineSpeedTextAndNeedle)
{
    // Needle direction on screen (y down): 0 rpm bottom left, 2000 upper
    // left, 6000 bottom right.
    struct Case { int period; const char* text; int dx; int dy; };
    const Case cases[] = {
        {60, "2000 giri", -1, -1},
        {20, "6000 giri", 1, 1},
        {0, "0 giri", -1, 1},
        {255, "0 giri", -1, 1},
    };
    for (const auto& c : cases) {
        link.SetLivePage(0, Page0(c.period));
        link.SetLivePage(1, Page1(128));
        auto w = Open();
        w->Timer1Timer();
        EXPECT_EQ(Text(*w, "StaticTextGiri"), QString::fromLatin1(c.text));

        const QImage image = w->grab().toImage();
        const live::DialGeometry& dial = w->Dial();
        const double halfNeedle = 0.3 * dial.radius / std::sqrt(2.0);
        auto pixelTowards = [&](int dx, int dy) {
            return image.pixelColor(dial.centre.x + int(dx * halfNeedle),
                                    dial.centre.y + int(dy * halfNeedle));
        };
        EXPECT_EQ(pixelTowards(c.dx, c.dy), QColor(Qt::white)) << c.period;
        for (const auto& other : cases) {
            if (other.dx != c.dx || other.dy != c.dy) {
                EXPECT_NE(pixelTowards(other.dx, other.dy), QColor(Qt::white))
                    << c.period << " also shows a needle towards " << other.dx << "," << other.dy;
            }
        }
    }
}

TEST_F(Visualizza, TemperatureFromTheSlowPage)
{
    struct Case { int raw; const char* text; };
    const Case cases[] = {{0, "N.D."}, {255, "N.D."}, {128, "24"}};
    for (const auto& c : cases) {
        link.SetLivePage(0, Page0(60));
        link.SetLivePage(1, Page1(c.raw));
        auto w = Open();
        w->Timer1Timer();
        EXPECT_EQ(Text(*w, "StaticTextTemp"), QString::fromLatin1(c.text)) << c.raw;
    }
}

TEST_F(Visualizza, LambdaSegmentFollowsTheProbeScale)
{
    struct Case { int typeCode; int offsetRaw; int lambdaByte; const char* text; int segment; };
    const Case cases[] = {
        {7, 0, 0, "0.00", 9},      // 5-0 V probe: 0 V is the top segment
        {7, 0, 255, "5.00", 0},
        {16, 20, 15, "0.30", 0},   // 0.8 - 1.6 V probe from 0.40 V: below the scale
        {16, 20, 66, "1.30", 9},   // (130 - 40) div 8 = 11, clamped
        {0, 0, 25, "0.50", 5},     // 0-1 V probe
        {16, 15, 27, "0.53", 2},   // offset 0.30 V counts as 30 hundredths: (53 - 30) div 8
    };
    for (const auto& c : cases) {
        SetRaw(LambdaType, c.typeCode);
        SetRaw(LambdaRefOffset, c.offsetRaw);
        link.SetLivePage(0, Page0(60, c.lambdaByte, 0, /*lambda state rich*/ 2 << 4));
        auto w = Open();
        w->Timer1Timer();
        EXPECT_EQ(Text(*w, "StaticTextLambda"), VoltText(c.text));
        EXPECT_EQ(w->LitLambdaSegment(), c.segment) << c.text;
        for (int s = 0; s < live::kLambdaSegments; ++s)
            EXPECT_EQ(SegmentColour(*w, QStringLiteral("SegmentLambda%1").arg(s)),
                      s == c.segment ? QColor(255, 0, 0) : w->palette().color(QPalette::Window))
                << "segment " << s << " for " << c.text;
    }
}

TEST_F(Visualizza, MovingBarsUnlightTheirPreviousSegment)
{
    link.SetLivePage(0, Page0(60, 0, 0, /*zone*/ 2));
    auto w = Open();
    w->Timer1Timer();
    EXPECT_EQ(SegmentColour(*w, "SegmentTps2"), QColor(255, 255, 0));
    EXPECT_EQ(SegmentColour(*w, "SegmentLambda0"), QColor(0, 128, 0));

    link.SetLivePage(0, Page0(60, 255, 0, /*zone 1, lambda state fault*/ 1 | 3 << 4));
    w->Timer1Timer();
    const QColor unlit = w->palette().color(QPalette::Window);
    EXPECT_EQ(SegmentColour(*w, "SegmentTps2"), unlit);
    EXPECT_EQ(SegmentColour(*w, "SegmentTps1"), QColor(0, 255, 0));
    EXPECT_EQ(SegmentColour(*w, "SegmentLambda0"), unlit);
    EXPECT_EQ(SegmentColour(*w, "SegmentLambda9"), QColor(0, 0, 0));
}

TEST_F(Visualizza, FastValuesFlagsAndSlowValues)
{
    SetRaw(IdleTpsHysteresis, 10);   // 0.20 V
    SetRaw(OptionFlags, 4);          // idle TPS fixed: the hysteresis is added
    link.SetLivePage(0, Page0(60, 0, 102, 0, /*upper limit + cut-off*/ 128 | 4, 140));
    link.SetLivePage(1, Page1(128, 77, /*gas + range bars*/ 8 | 1, 51, 120));
    auto w = Open();
    w->Timer1Timer();

    EXPECT_EQ(Text(*w, "StaticTextTps"), VoltText("2.00"));
    EXPECT_EQ(Text(*w, "StaticTextMot"), "140");
    EXPECT_EQ(Child<QSlider>(*w, "TrackBarMax")->value(), 255 - 140);
    EXPECT_EQ(Text(*w, "StaticTextMinTps"), VoltText("1.20"));
    EXPECT_EQ(Text(*w, "StaticTextLivello"), "77");
    EXPECT_EQ(Text(*w, "StaticTextDef"), "120");
    EXPECT_EQ(Text(*w, "LabelComm"), "METANO");
    EXPECT_EQ(Child(*w, "LabelComm")->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(Child(*w, "LabelSup")->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_NE(Child(*w, "LabelInf")->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_FALSE(Child(*w, "LabelVisCutoff")->isHidden());
    EXPECT_FALSE(Child<QFrame>(*w, "ShapeFMin")->isHidden());
    EXPECT_FALSE(Child<QFrame>(*w, "ShapeMin")->isHidden());

    // Everything off again: the flags follow on the next tick, the slow
    // values only when the slow page is read again.
    link.SetLivePage(0, Page0(60));
    link.SetLivePage(1, Page1(128, 10, 0, 51, 120));
    w->Timer1Timer();
    EXPECT_NE(Child(*w, "LabelSup")->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(Child(*w, "LabelVisCutoff")->isHidden());
    EXPECT_FALSE(Child<QFrame>(*w, "ShapeFMin")->isHidden());
    EXPECT_EQ(Text(*w, "StaticTextLivello"), "77");
    for (int tick = 0; tick < TFormVisualizza::kSlowPageEvery; ++tick)
        w->Timer1Timer();
    EXPECT_EQ(Text(*w, "StaticTextLivello"), "10");
    EXPECT_EQ(Text(*w, "LabelComm"), "BENZ");
    EXPECT_EQ(Child(*w, "LabelComm")->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_TRUE(Child<QFrame>(*w, "ShapeFMin")->isHidden());
}

TEST_F(Visualizza, MinimumTpsOfAnInvertedSensor)
{
    SetRaw(TpsType, 1);              // "lineare 5-0V"
    SetRaw(IdleTpsHysteresis, 10);
    SetRaw(OptionFlags, 4);
    link.SetLivePage(0, Page0(60));
    link.SetLivePage(1, Page1(128, 0, 0, 51));
    auto w = Open();
    w->Timer1Timer();
    EXPECT_EQ(Text(*w, "StaticTextMinTps"), VoltText("3.80"));
}

// A hysteresis cell of 0.30 V adds 30 hundredths, not 29: the record's
// volts are not exact in binary.
TEST_F(Visualizza, MinimumTpsAddsTheWholeHysteresis)
{
    struct Case { int hysteresisRaw; const char* text; };
    const Case cases[] = {{15, "0.76"}, {6, "0.58"}, {10, "0.66"}};
    for (const auto& c : cases) {
        SetRaw(IdleTpsHysteresis, c.hysteresisRaw);
        SetRaw(OptionFlags, 4);
        link.SetLivePage(0, Page0(60));
        link.SetLivePage(1, Page1(128, 0, 0, 23));   // 0.46 V learned
        auto w = Open();
        w->Timer1Timer();
        EXPECT_EQ(Text(*w, "StaticTextMinTps"), VoltText(c.text)) << c.hysteresisRaw;
    }
}

TEST_F(Visualizza, DefaultMarkerFollowsTheLiveDefault)
{
    link.SetLivePage(0, Page0(60));
    struct Case { int defaultPosition; bool atTop; };
    for (const Case c : {Case{255, true}, Case{0, false}}) {
        link.SetLivePage(1, Page1(128, 0, 1, 0, c.defaultPosition));
        auto w = Open();
        w->Timer1Timer();
        const QRect track = Child<QSlider>(*w, "TrackBarMax")->geometry();
        const int top = track.top() + 4;
        const int expected = c.atTop ? top : top + track.height() - 31;
        EXPECT_EQ(Child(*w, "LabelDef")->y(), expected) << c.defaultPosition;
        EXPECT_EQ(Child(*w, "LabelVisDef2")->y(), expected) << c.defaultPosition;
    }
}

TEST_F(Visualizza, SlowPageOnTheFirstTickAndEveryEleventh)
{
    link.SetLivePage(0, Page0(60));
    link.SetLivePage(1, Page1(128));
    auto w = Open();
    for (int tick = 0; tick < 23; ++tick)
        w->Timer1Timer();
    EXPECT_EQ(LivePageReads(0), 23);
    EXPECT_EQ(LivePageReads(1), 3);   // ticks 1, 12 and 23
}

TEST_F(Visualizza, KeepsTheLastValuesWhenTheLinkFails)
{
    enum class Failure { Disconnected, Refused };
    for (const Failure failure : {Failure::Disconnected, Failure::Refused}) {
        link.RefuseEverything(false);
        link.SetConnected(true);
        link.SetLivePage(0, Page0(60, 25, 102, 1, 0, 140));
        link.SetLivePage(1, Page1(128, 77));
        auto w = Open();
        w->Timer1Timer();

        link.SetLivePage(0, Page0(20, 100, 200, 3, 0, 10));
        link.SetLivePage(1, Page1(51, 5));
        if (failure == Failure::Disconnected)
            link.SetConnected(false);
        else
            link.RefuseEverything(true);
        const int slowReads = LivePageReads(1);
        for (int tick = 0; tick < 15; ++tick)
            w->Timer1Timer();

        EXPECT_EQ(Text(*w, "StaticTextGiri"), "2000 giri");
        EXPECT_EQ(Text(*w, "StaticTextLambda"), VoltText("0.50"));
        EXPECT_EQ(Text(*w, "StaticTextTps"), VoltText("2.00"));
        EXPECT_EQ(Text(*w, "StaticTextMot"), "140");
        EXPECT_EQ(Text(*w, "StaticTextTemp"), "24");
        EXPECT_EQ(Text(*w, "StaticTextLivello"), "77");
        EXPECT_EQ(w->LitZone(), 1);
        if (failure == Failure::Disconnected) {
            EXPECT_EQ(LivePageReads(1), slowReads) << "slow page read while disconnected";
        }
        link.ClearCalls();
    }
}

TEST_F(Visualizza, IgnoresAPageShorterThanItsUsedBytes)
{
    link.SetLivePage(0, Page0(60, 0, 0, 0, 0, 140));
    link.SetLivePage(1, Page1(128, 77));
    auto w = Open();
    w->Timer1Timer();
    link.SetLivePage(0, {20, 0, 0});
    w->Timer1Timer();
    EXPECT_EQ(Text(*w, "StaticTextGiri"), "2000 giri");
    EXPECT_EQ(Text(*w, "StaticTextMot"), "140");
}

TEST_F(Visualizza, ReducedModelLayout)
{
    record.ReducedModel = true;
    auto w = Open();
    for (const char* name : {"Bevel2", "LabelVisAltri", "LabelVisTemp", "StaticTextTemp", "Bevel3",
                             "LabelVisLivello", "StaticTextLivello", "Bevel4", "LabelVisFunz"})
        EXPECT_TRUE(Child<QWidget>(*w, name)->isHidden()) << name;
    EXPECT_FALSE(Child(*w, "LabelComm")->isHidden());
    const QRect giri = Child<QFrame>(*w, "BevelGiri")->geometry();
    EXPECT_EQ(giri.width(), Child<QFrame>(*w, "BevelTps")->width());
    EXPECT_EQ(w->Dial().centre.x, giri.left() + giri.width() / 2);
    const QRect speed = Child(*w, "StaticTextGiri")->geometry();
    EXPECT_EQ(speed.left() + speed.width() / 2, w->Dial().centre.x);
}

TEST_F(Visualizza, TextsFromTheDictionary)
{
    link.SetLivePage(0, Page0(60));
    auto w = Open();
    EXPECT_TRUE(seams.Messages().empty());
    EXPECT_EQ(w->windowTitle(), "Valori in tempo reale");
    EXPECT_EQ(Text(*w, "LabelVisLambda"), "Sonda");
    EXPECT_EQ(Text(*w, "LabelVisContaGiri"), "giri x 1000");
    EXPECT_EQ(Child<QPushButton>(*w, "ButtonEsci")->text(), "&Fine");
    EXPECT_EQ(Text(*w, "LabelComm"), "BENZ");
}

TEST_F(Visualizza, DictionaryFailureReportsCodeOneAndKeepsWhatWasFilled)
{
    Install(Without(LiveWindowTexts(), "UnitaVolt"));
    link.SetLivePage(0, Page0(60));
    auto w = Open();
    EXPECT_EQ(MessageTexts(), std::vector<QString>{"Problemi col database multilingua (Codice 1)."});
    EXPECT_EQ(w->windowTitle(), "Valori in tempo reale");   // filled before the failure
    EXPECT_EQ(Text(*w, "LabelComm"), "BENZ");
    w->Timer1Timer();
    EXPECT_EQ(Text(*w, "StaticTextGiri"), "2000 ");          // the unit was never reached
}

TEST_F(Visualizza, ClosesWithF12EscapeAndTheExitButton)
{
    enum class Way { F12, Escape, Button };
    for (const Way way : {Way::F12, Way::Escape, Way::Button}) {
        auto w = Open();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        if (way == Way::Button)
            QTest::mouseClick(Child<QPushButton>(*w, "ButtonEsci"), Qt::LeftButton);
        else
            QTest::keyClick(w.get(), way == Way::F12 ? Qt::Key_F12 : Qt::Key_Escape);
        EXPECT_FALSE(w->isVisible()) << int(way);
        EXPECT_EQ(w->result(), QDialog::Rejected);
    }
}

// Counts paint events of a window and its controls.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(Visualizza, UnchangedPagesRepaintNothing)
{
    link.SetLivePage(0, Page0(60, 25, 102, 1, 0, 140));
    link.SetLivePage(1, Page1(128, 77, 1, 51, 120));
    auto w = Open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->Timer1Timer();
    QCoreApplication::processEvents();

    PaintCounter counter;
    w->installEventFilter(&counter);
    for (QWidget* child : w->findChildren<QWidget*>())
        child->installEventFilter(&counter);
    for (int tick = 0; tick < 22; ++tick) {
        w->Timer1Timer();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, 0);

    link.SetLivePage(0, Page0(20, 25, 102, 1, 0, 140));   // only the speed changes
    w->Timer1Timer();
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
}

TEST_F(Visualizza, FollowsTheVirtualEcu)
{
    std::int64_t now = 0;
    VirtualEcu ecu(7, [&now] { return now; });
    ASSERT_TRUE(ecu.OpenPort());
    ASSERT_TRUE(ecu.Connect());
    record.AttachLink(&ecu);
    app::App().link = &ecu;

    auto w = std::make_unique<TFormVisualizza>();   // polling on its own timer
    w->show();
    std::set<QString> speeds;
    std::array<std::uint8_t, kLivePageLength> fast{}, slow{};
    // Checkpoints through the driving scenario; the clock stands still at each
    // one, so the pages the window reads are the pages checked here.
    for (int checkpoint = 0; checkpoint < 8; ++checkpoint) {
        now += 3700;
        int length = kLivePageLength;
        ASSERT_TRUE(ecu.ReadLive(0, fast.data(), length));
        const QString speed = QStringLiteral("%1 giri").arg(live::RpmFromPeriod(fast[0]));
        const QString position = QString::number(fast[5]);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return Text(*w, "StaticTextGiri") == speed && Text(*w, "StaticTextMot") == position &&
                   w->LitZone() == (fast[3] & 3);
        }, 2000)) << "checkpoint " << checkpoint << ": " << Text(*w, "StaticTextGiri").toStdString()
                  << " instead of " << speed.toStdString();
        EXPECT_EQ(Child<QSlider>(*w, "TrackBarMax")->value(), 255 - fast[5]);
        speeds.insert(speed);
    }
    EXPECT_GT(speeds.size(), 2u) << "the engine model should make the needle move";

    // The slow page comes round within eleven ticks.
    int length = kLivePageLength;
    ASSERT_TRUE(ecu.ReadLive(1, slow.data(), length));
    const QString level = QString::number(slow[1]);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Text(*w, "StaticTextLivello") == level; }, 3000));
    w->close();
    app::App().link = &link;
}

}  // namespace
}  // namespace lumex::test

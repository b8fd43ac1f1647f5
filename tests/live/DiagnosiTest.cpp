// The diagnostics window: check boxes from DiagnosticsEnable, states from
// DiagnosticsErrors, the refresh, clearing the faults, keys and focus.
#include "LiveTestSupport.h"

#include "TFormDiagnosi.h"
#include "ToolWindowFactory.h"
#include "EngineModel.h"
#include "VirtualEcu.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace lumex::test {
namespace {

using app::TFormDiagnosi;

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

class Diagnosi : public LiveWindowFixture {
protected:
    void SetUp() override
    {
        LiveWindowFixture::SetUp();
        SetFaults(0);
    }

    // What the ECU answers when the faults are read.
    void SetFaults(int bits) { link.SetReadValues(EcuNumberOf(DiagnosticsErrors), {bits}); }

    std::unique_ptr<TFormDiagnosi> Open()
    {
        auto window = std::make_unique<TFormDiagnosi>();
        window->Timer1->stop();
        return window;
    }

    std::vector<std::int32_t> WritesTo(ParamIndex index) const
    {
        std::vector<std::int32_t> values;
        for (const LinkCall& call : link.Writes())
            if (CodeEcuNumber(call.code) == EcuNumberOf(index))
                values.push_back(call.value);
        return values;
    }

    static QColor TextColour(TFormDiagnosi& w, const char* name)
    {
        return Child(w, name)->palette().color(QPalette::WindowText);
    }

    void ExpectStates(TFormDiagnosi& w, const std::array<const char*, 3>& texts)
    {
        const char* labels[] = {"LabelStato1", "LabelStato2", "LabelStato3"};
        for (int row = 0; row < 3; ++row) {
            const QString text = QString::fromLatin1(texts[std::size_t(row)]);
            EXPECT_EQ(Text(w, labels[row]), text) << "row " << row;
            EXPECT_EQ(TextColour(w, labels[row]), text == "Guasto" ? kRed : kGreen) << "row " << row;
        }
    }

    static QCheckBox* Box(TFormDiagnosi& w, int row)
    {
        return Child<QCheckBox>(w, QStringLiteral("CheckBox%1").arg(row + 1).toLatin1().constData());
    }
};

TEST_F(Diagnosi, EnableMaskChecksItsBoxesAndIsWrittenBack)
{
    SetRaw(DiagnosticsEnable, 5);
    auto w = Open();
    EXPECT_TRUE(Box(*w, 0)->isChecked());
    EXPECT_FALSE(Box(*w, 1)->isChecked());
    EXPECT_TRUE(Box(*w, 2)->isChecked());
    EXPECT_EQ(WritesTo(DiagnosticsEnable), (std::vector<std::int32_t>{5, 5}));
    EXPECT_EQ(w->EnableMask(), 5);
    // The faults are asked for before the boxes write anything back.
    std::vector<LinkCall> ecuCalls;
    for (const LinkCall& call : link.Calls())
        if (call.op == LinkOp::ReadParam || call.op == LinkOp::WriteParam)
            ecuCalls.push_back(call);
    ASSERT_FALSE(ecuCalls.empty());
    EXPECT_EQ(ecuCalls.front().op, LinkOp::ReadParam);
    EXPECT_EQ(CodeEcuNumber(ecuCalls.front().code), EcuNumberOf(DiagnosticsErrors));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(app::TagOf(Box(*w, row)), row);
}

TEST_F(Diagnosi, FaultBitsShowTheFaultTextInRed)
{
    SetFaults(2);
    auto w = Open();
    ExpectStates(*w, {"Nessuno", "Guasto", "Nessuno"});
    EXPECT_EQ(w->FaultMask(), 2);
    EXPECT_TRUE(WritesTo(DiagnosticsEnable).empty());
}

TEST_F(Diagnosi, ClearingShowsOkUntilTheNextRefresh)
{
    SetFaults(5);
    auto w = Open();
    ExpectStates(*w, {"Guasto", "Nessuno", "Guasto"});

    QTest::mouseClick(Child<QPushButton>(*w, "ButtonReset"), Qt::LeftButton);
    ExpectStates(*w, {"OK", "OK", "OK"});
    EXPECT_EQ(WritesTo(DiagnosticsErrors), std::vector<std::int32_t>{0});
    EXPECT_EQ(w->FaultMask(), 0);

    SetFaults(0);
    w->Timer1Timer();
    ExpectStates(*w, {"Nessuno", "Nessuno", "Nessuno"});
    SetFaults(4);
    w->Timer1Timer();
    ExpectStates(*w, {"Nessuno", "Nessuno", "Guasto"});
}

TEST_F(Diagnosi, StatesStayWhileTheLinkIsDown)
{
    SetFaults(1);
    auto w = Open();
    link.SetConnected(false);
    SetFaults(6);
    link.ClearCalls();
    w->Timer1Timer();
    ExpectStates(*w, {"Guasto", "Nessuno", "Nessuno"});
    EXPECT_TRUE(link.Reads().empty());
}

TEST_F(Diagnosi, ClickAndEnterToggleAndWriteTheMask)
{
    SetRaw(DiagnosticsEnable, 1);
    auto w = Open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    link.ClearCalls();

    QCheckBox* second = Box(*w, 1);
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(8, second->height() / 2));
    EXPECT_TRUE(second->isChecked());

    QCheckBox* first = Box(*w, 0);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_FALSE(first->isChecked());
    EXPECT_TRUE(w->isVisible()) << "Enter on a box must not close the window";
    EXPECT_EQ(WritesTo(DiagnosticsEnable), (std::vector<std::int32_t>{3, 2}));
}

TEST_F(Diagnosi, FocusHighlightsTheRowAndEnlargesTheButton)
{
    auto w = Open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QLabel* description = Child(*w, "LabelDLambdaMagro");
    const QColor normalText = description->palette().color(QPalette::WindowText);
    auto* reset = Child<QPushButton>(*w, "ButtonReset");
    const qreal normalSize = reset->font().pointSizeF();

    Box(*w, 1)->setFocus();
    EXPECT_EQ(description->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(description->palette().color(QPalette::Window),
              w->palette().color(QPalette::Active, QPalette::Highlight));

    reset->setFocus();
    EXPECT_EQ(description->palette().color(QPalette::WindowText), normalText);
    EXPECT_EQ(reset->font().pointSizeF(), normalSize + 2);

    Box(*w, 0)->setFocus();
    EXPECT_EQ(reset->font().pointSizeF(), normalSize);
}

TEST_F(Diagnosi, TextsAndDictionaryFailure)
{
    {
        auto w = Open();
        EXPECT_TRUE(seams.Messages().empty());
        EXPECT_EQ(w->windowTitle(), "Diagnosi");
        EXPECT_EQ(Text(*w, "LabelDLambdaRicco"), "Sonda ricca");
    }
    Install(Without(LiveWindowTexts(), "LabelStatoErrore"));
    SetFaults(1);
    auto w = Open();
    EXPECT_EQ(MessageTexts(), std::vector<QString>{"Problemi col database multilingua (Codice 5)."});
    EXPECT_EQ(w->windowTitle(), "Diagnosi");
    // Neither held text was reached: both stay empty.
    EXPECT_EQ(Text(*w, "LabelStato1"), "");
}

TEST_F(Diagnosi, ExitButtonAndEscapeClose)
{
    for (bool viaButton : {true, false}) {
        auto w = Open();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        if (viaButton)
            QTest::mouseClick(Child<QPushButton>(*w, "ButtonEsci"), Qt::LeftButton);
        else
            QTest::keyClick(w.get(), Qt::Key_Escape);
        EXPECT_FALSE(w->isVisible());
    }
}

TEST_F(Diagnosi, FaultOfAnEnabledCheckOnTheVirtualEcuAndItsClearing)
{
    std::int64_t now = 0;
    VirtualEcu ecu(5, [&now] { return now; });
    ASSERT_TRUE(ecu.OpenPort());
    ASSERT_TRUE(ecu.Connect());
    record.AttachLink(&ecu);
    app::App().link = &ecu;

    auto w = Open();
    ExpectStates(*w, {"Nessuno", "Nessuno", "Nessuno"});
    QTest::mouseClick(Box(*w, 1), Qt::LeftButton, {}, QPoint(8, Box(*w, 1)->height() / 2));
    EXPECT_EQ(ecu.Memory(EcuNumberOf(DiagnosticsEnable)), 2);

    ecu.Engine().ForceEpisode(LambdaEpisode::Lean);
    now += 10000;
    w->Timer1Timer();
    ExpectStates(*w, {"Nessuno", "Guasto", "Nessuno"});

    QTest::mouseClick(Child<QPushButton>(*w, "ButtonReset"), Qt::LeftButton);
    ExpectStates(*w, {"OK", "OK", "OK"});
    now += 2000;
    w->Timer1Timer();
    ExpectStates(*w, {"Nessuno", "Nessuno", "Nessuno"});
    app::App().link = &link;
}

}  // namespace
}  // namespace lumex::test

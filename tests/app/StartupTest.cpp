// The start-up dialogue and the connection commands of the main window,
// against the virtual ECU, with every message box read through the seams.

#include "AppTestSupport.h"
#include "LinkEvent.h"
#include "RecordingLink.h"
#include "TFormAttendere.h"
#include "TFormAttesa.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>

namespace lumex::app::test {
namespace {

// Counts the progress messages that reach a progress window.
class ProgressCounter : public QObject {
public:
    ProgressCounter() { qApp->installEventFilter(this); }
    ~ProgressCounter() override { qApp->removeEventFilter(this); }
    std::vector<int> positions;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == LinkEvent::ProgressType() && qobject_cast<TFormAttesa*>(watched))
            positions.push_back(static_cast<LinkEvent*>(event)->wParam());
        return false;
    }
};

using StartupTest = MainWindowTest;

int CountOf(const lumex::test::RecordingLink& link, lumex::test::LinkOp op) {
    const auto& calls = link.Calls();
    return int(std::count_if(calls.begin(), calls.end(),
                             [op](const auto& call) { return call.op == op; }));
}

TEST_F(StartupTest, NormalStartReadsEverythingBehindTheProgressWindow) {
    WriteMainDictionary();
    ecu.SetMemory(56, 0, 77);   // a value the factory defaults do not have
    ProgressCounter progress;
    TFormMain& main = Start();

    EXPECT_FALSE(App().startAborted);
    EXPECT_FALSE(App().demoMode);
    EXPECT_TRUE(seams.Messages().empty());
    EXPECT_EQ(progress.positions.size(), 12u);   // eleven steps of 9, then 100
    auto* wait = qobject_cast<TFormAttesa*>(main.StartupWaitWindow());
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(wait->Position(), 100);
    EXPECT_EQ(wait->ProgressLine(), "100% " + TextOf("ITALIANO", "MessCompletato"));
    EXPECT_EQ(wait->windowTitle(), TextOf("ITALIANO", "FinestraCaricaDati"));
    EXPECT_EQ(record.RawWords()[size_t(StorageOf(ChangeoverRpm))], 77);

    // The fuel-gauge item is hidden after every start; the others stay.
    for (int item = 0; item < 8; ++item)
        EXPECT_EQ(main.ItemVisible(item), item != 5) << "item " << item;
    EXPECT_FALSE(main.MenuAction(5)->isVisible());
    EXPECT_FALSE(record.ReducedModel);
    EXPECT_EQ(main.OptionalPage, 0);

    // The connection came up while the wait window was active.
    EXPECT_EQ(main.StatusPanel(0), TextOf("ITALIANO", "MessConn"));
    EXPECT_FALSE(main.findChild<QAction*>("ActionConnetti")->isEnabled());
    EXPECT_TRUE(main.findChild<QAction*>("ActionDisconnetti")->isEnabled());
    EXPECT_TRUE(main.findChild<QAction*>("MenuRileggi")->isEnabled());

    Idle();
    EXPECT_EQ(main.StartupWaitWindow(), nullptr);   // closed at the first idle moment
}

struct StartFailure {
    const char* name;
    std::function<void(VirtualEcu&)> arrange;
    const char* messageKey;
    enum Caption { AppTitle, WindowTitle, StateCaption } caption;
    bool disconnected;
};

class StartFailureTest : public MainWindowTest,
                         public ::testing::WithParamInterface<StartFailure> {};

TEST_P(StartFailureTest, ShowsOneMessageAndAbortsTheStart) {
    const StartFailure& failure = GetParam();
    WriteMainDictionary();
    failure.arrange(ecu);
    // A real message box runs an event loop of its own: the progress window
    // must still be there while the message is on screen.
    int waitWindowsUnderMessage = -1;
    seams.onMessage = [&](const MessageRecord&) {
        Idle();
        waitWindowsUnderMessage = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<TFormAttesa*>(window) && window->isVisible())
                ++waitWindowsUnderMessage;
    };
    TFormMain& main = Start();

    EXPECT_EQ(waitWindowsUnderMessage, 1);
    EXPECT_TRUE(App().startAborted);
    ASSERT_EQ(seams.Messages().size(), 1u);
    const MessageRecord& message = seams.Messages().front();
    EXPECT_EQ(message.text, TextOf("ITALIANO", failure.messageKey));
    EXPECT_EQ(message.icon, QMessageBox::Critical);
    switch (failure.caption) {
    case StartFailure::AppTitle:
        EXPECT_EQ(message.caption, kApplicationTitle);
        break;
    case StartFailure::WindowTitle:
        EXPECT_EQ(message.caption, main.windowTitle());
        EXPECT_EQ(message.caption, TextOf("ITALIANO", "FinestraPrincipale"));
        break;
    case StartFailure::StateCaption:
        EXPECT_EQ(message.caption, TextOf("ITALIANO", "LabelStatoErrore") + " 7");
        break;
    }
    if (failure.disconnected) {
        EXPECT_EQ(ecu.IsConnected(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, StartFailureTest,
    ::testing::Values(
        StartFailure{"PortUnavailable", [](VirtualEcu& e) { e.SetPortAvailable(false); },
                     "MessErrConn", StartFailure::AppTitle, false},
        StartFailure{"IdentUnreadable", [](VirtualEcu& e) { e.RefuseEverything(true); },
                     "MessErrVersioneCpu", StartFailure::WindowTitle, true},
        StartFailure{"IdentSevenOneRejected",
                     [](VirtualEcu& e) { e.SetIdent({7, 1, 0, 10}); }, "MessCpuErrata",
                     StartFailure::StateCaption, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupTest, ReducedModelIdentIsAcceptedAndHidesItemsFourAndFive) {
    WriteMainDictionary();
    ecu.SetIdent({255, 2, 1, 10});
    TFormMain& main = Start();

    EXPECT_FALSE(App().startAborted);
    EXPECT_TRUE(seams.Messages().empty());
    EXPECT_TRUE(record.ReducedModel);
    EXPECT_EQ(main.OptionalPage, 1);
    EXPECT_FALSE(main.ItemVisible(4));
    EXPECT_FALSE(main.ItemVisible(5));
    EXPECT_FALSE(main.MenuAction(4)->isVisible());
}

struct CommandLine {
    QStringList arguments;
    bool demo;
    bool reduced;
};

class CommandLineTest : public MainWindowTest,
                        public ::testing::WithParamInterface<CommandLine> {};

TEST_P(CommandLineTest, DemoAndNocommAreReadExactly) {
    const CommandLine& line = GetParam();
    WriteMainDictionary();
    lumex::test::RecordingLink link;
    App().link = &link;
    record.AttachLink(&link);
    link.SetIdent({7, 0, 0, 1});
    TFormMain& main = Start(line.arguments);

    EXPECT_EQ(App().demoMode, line.demo);
    EXPECT_FALSE(App().startAborted);
    if (line.demo) {
        // No link operation beyond asking for the connection state (the
        // language fills the status text); the plain wait window instead.
        for (const auto& call : link.Calls())
            EXPECT_EQ(call.op, lumex::test::LinkOp::IsConnected);
        auto* wait = qobject_cast<TFormAttendere*>(main.StartupWaitWindow());
        ASSERT_NE(wait, nullptr);
        EXPECT_EQ(wait->Text(), TextOf("ITALIANO", "LabelAttendere"));
        EXPECT_EQ(record.ReducedModel, line.reduced);
        EXPECT_EQ(main.OptionalPage, line.reduced ? 1 : 0);
        EXPECT_EQ(main.ItemVisible(4), !line.reduced);
    } else {
        EXPECT_FALSE(link.Calls().empty());
        EXPECT_NE(qobject_cast<TFormAttesa*>(main.StartupWaitWindow()), nullptr);
        // Outside demo mode the identification decides, not the command line.
        EXPECT_FALSE(record.ReducedModel);
    }
    EXPECT_FALSE(main.ItemVisible(5));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    ::testing::Values(CommandLine{{"/demo"}, true, false},
                      CommandLine{{"/demo", "/nocomm"}, true, true},
                      CommandLine{{"/nocomm"}, false, false},
                      CommandLine{{"/Demo"}, false, false},
                      CommandLine{{"/demo "}, false, false},
                      CommandLine{{"/demo", "/nocomm", "x"}, true, false},
                      CommandLine{{"x", "/nocomm"}, false, false}),
    [](const auto& info) {
        std::string name = "Args";
        for (const QString& argument : info.param.arguments)
            for (const QChar c : argument)
                name += c.isLetterOrNumber() ? char(c.toLatin1()) : '_';
        return name + std::to_string(info.index);
    });

TEST_F(StartupTest, NocommWithAnyFirstArgumentSetsTheOptionalPage) {
    WriteMainDictionary();
    TFormMain& main = Start({"whatever", "/nocomm"});
    // Set by the command line, then decided again by the identification (7, 0).
    EXPECT_EQ(main.OptionalPage, 0);
    EXPECT_FALSE(record.ReducedModel);
}

TEST_F(StartupTest, MissingDictionaryEndsTheProgramBeforeTheSplash) {
    TFormMain& main = Start();
    ASSERT_EQ(seams.Messages().size(), 1u);
    EXPECT_EQ(seams.Messages()[0].text,
              "Errore critico: problemi col database multilingua.\nImpossibile continuare.");
    EXPECT_EQ(seams.Messages()[0].caption, kApplicationTitle);
    EXPECT_EQ(seams.Messages()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(seams.TerminationRequests(), 1);
    EXPECT_TRUE(seams.ModalRuns().isEmpty());
    EXPECT_FALSE(main.Dictionary()->DictionaryReady);
    EXPECT_EQ(ecu.IsConnected(), 0);
}

TEST_F(StartupTest, SplashChoiceAppliesThatLanguageAndEnterTheStoredOne) {
    WriteMainDictionary({"ITALIANO", "ENGLISH"});
    settings->SetLanguage(1);
    seams.onModal = [](QDialog& dialog) {
        // The splash's start text comes from the stored language's column.
        EXPECT_EQ(dialog.findChild<QLabel*>("LabelAvvio")->text(),
                  TextOf("ENGLISH", "LabelAvvio"));
        SetTag(&dialog, -1);   // Enter
        return int(QDialog::Rejected);
    };
    TFormMain& main = Start({"/demo"});
    EXPECT_EQ(main.Dictionary()->CurrentLanguage, "ENGLISH");
    EXPECT_EQ(main.windowTitle(), TextOf("ENGLISH", "FinestraPrincipale"));
}

TEST_F(StartupTest, StoredLanguageOutsideTheMenuAppliesNoLanguage) {
    WriteMainDictionary({"ITALIANO", "ENGLISH"});
    settings->SetLanguage(5);
    seams.onModal = [](QDialog& dialog) {
        SetTag(&dialog, -1);
        return int(QDialog::Rejected);
    };
    TFormMain& main = Start({"/demo"});
    EXPECT_TRUE(main.Dictionary()->CurrentLanguage.isEmpty());
    EXPECT_EQ(main.MenuLabel(0)->text(), "Visualizzazione Parametri");   // layout text
    EXPECT_TRUE(main.HeldText("MessConn").isEmpty());
}

// --- Link state ---

TEST_F(StartupTest, LinkStateUpShowsThePortAndDownEndsTheProgram) {
    WriteMainDictionary();
    TFormMain& main = Start();
    Idle();
    seams.ClearMessages();

    LinkEvent up(lumex::WM_LINK_STATE, 0, 1);
    QCoreApplication::sendEvent(&main, &up);
    EXPECT_EQ(main.StatusPanel(1), "COM" + QString::number(ecu.GetPort() + 1));
    EXPECT_TRUE(seams.Messages().empty());

    LinkEvent down(lumex::WM_LINK_STATE, 0, 0);
    QCoreApplication::sendEvent(&main, &down);
    EXPECT_EQ(main.StatusPanel(0), TextOf("ITALIANO", "MessNoConn"));
    EXPECT_EQ(main.StatusPanel(1), "");
    EXPECT_TRUE(main.findChild<QAction*>("ActionConnetti")->isEnabled());
    EXPECT_FALSE(main.findChild<QAction*>("ActionDisconnetti")->isEnabled());
    ASSERT_EQ(seams.Messages().size(), 1u);
    EXPECT_EQ(seams.Messages()[0].text, TextOf("ITALIANO", "MessErrConn"));
    EXPECT_EQ(seams.Messages()[0].caption, main.windowTitle());
    EXPECT_EQ(seams.TerminationRequests(), 1);
}

TEST_F(StartupTest, PortTextIsUsbForPortHundredElseComNumberPlusOne) {
    WriteMainDictionary();
    struct PortLink : lumex::test::RecordingLink {
        int port = 0;
        int GetPort() override { return port; }
    } link;
    App().link = &link;
    record.AttachLink(&link);
    link.SetIdent({7, 0, 0, 1});
    TFormMain& main = Start();
    for (const auto& [port, text] : std::vector<std::pair<int, QString>>{
             {100, "USB"}, {0, "COM1"}, {3, "COM4"}}) {
        link.port = port;
        LinkEvent up(lumex::WM_LINK_STATE, 0, 1);
        QCoreApplication::sendEvent(&main, &up);
        EXPECT_EQ(main.StatusPanel(1), text) << port;
    }
}

TEST_F(StartupTest, LinkStateIsIgnoredInDemoMode) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo"});
    const QString before = main.StatusPanel(0);
    LinkEvent down(lumex::WM_LINK_STATE, 0, 0);
    QCoreApplication::sendEvent(&main, &down);
    LinkEvent up(lumex::WM_LINK_STATE, 0, 1);
    QCoreApplication::sendEvent(&main, &up);
    EXPECT_EQ(main.StatusPanel(0), before);
    EXPECT_TRUE(seams.Messages().empty());
    EXPECT_EQ(seams.TerminationRequests(), 0);
    EXPECT_TRUE(main.findChild<QAction*>("ActionConnetti")->isEnabled());
}

// --- Connect command ---

struct ConnectFailure {
    const char* name;
    std::function<void(lumex::test::RecordingLink&)> arrange;
    const char* messageKey;
    bool disconnects;
};

class ConnectFailureTest : public MainWindowTest,
                           public ::testing::WithParamInterface<ConnectFailure> {};

TEST_P(ConnectFailureTest, OneMessageAndDisconnectOnlyAfterTheIdentStep) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo"});   // no link traffic at start
    lumex::test::RecordingLink link;
    App().link = &link;
    GetParam().arrange(link);
    main.ActionConnettiExecute();

    ASSERT_EQ(seams.Messages().size(), 1u);
    EXPECT_EQ(seams.Messages()[0].text, TextOf("ITALIANO", GetParam().messageKey));
    EXPECT_EQ(seams.Messages()[0].caption, main.windowTitle());
    EXPECT_EQ(seams.Messages()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(CountOf(link, lumex::test::LinkOp::Disconnect), GetParam().disconnects ? 1 : 0);
    EXPECT_EQ(CountOf(link, lumex::test::LinkOp::ReadParam), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ConnectFailureTest,
    ::testing::Values(
        ConnectFailure{"PortRefused", [](auto& l) { l.RefuseEverything(); }, "MessErrConn", false},
        ConnectFailure{"IdentUnreadable", [](auto& l) { l.SetIdent({7, 0, 0, 1}, false); },
                       "MessErrVersioneCpu", true},
        ConnectFailure{"IdentRejected", [](auto& l) { l.SetIdent({8, 0, 0, 1}); },
                       "MessCpuErrata", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupTest, ConnectFailsWhenConnectReturnsZeroWithoutDisconnecting) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo"});
    ecu.SetConnectable(false);
    main.ActionConnettiExecute();
    ASSERT_EQ(seams.Messages().size(), 1u);
    EXPECT_EQ(seams.Messages()[0].text, TextOf("ITALIANO", "MessErrConn"));
}

TEST_F(StartupTest, ConnectReadsAgainAndShowsTheGaugeItemWhenTheEcuHasIt) {
    WriteMainDictionary();
    ecu.SetIdent({7, 0, 0, 5});
    TFormMain& main = Start();
    ASSERT_FALSE(App().startAborted);
    EXPECT_FALSE(main.ItemVisible(5));

    ecu.SetIdent({7, 0, 1, 6});   // now with the gauge output
    ecu.SetMemory(56, 0, 91);
    ProgressCounter progress;
    main.ActionConnettiExecute();
    EXPECT_TRUE(seams.Messages().empty());
    EXPECT_TRUE(main.ItemVisible(5));
    EXPECT_TRUE(main.MenuAction(5)->isVisible());
    EXPECT_EQ(progress.positions.size(), 12u);
    EXPECT_EQ(record.RawWords()[size_t(StorageOf(ChangeoverRpm))], 91);
    EXPECT_EQ(main.EcuIdent[3], 6);
}

TEST_F(StartupTest, ReloadEntryRunsTheConnectCommand) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo"});
    ecu.SetPortAvailable(false);
    main.findChild<QAction*>("MenuRileggi")->setEnabled(true);
    main.findChild<QAction*>("MenuRileggi")->trigger();
    ASSERT_EQ(seams.Messages().size(), 1u);
    EXPECT_EQ(seams.Messages()[0].text, TextOf("ITALIANO", "MessErrConn"));
}

TEST_F(StartupTest, DisconnectShowsNotConnected) {
    WriteMainDictionary();
    TFormMain& main = Start();
    main.ActionDisconnettiExecute();
    EXPECT_EQ(ecu.IsConnected(), 0);
    EXPECT_EQ(main.StatusPanel(0), TextOf("ITALIANO", "MessNoConn"));
}

}  // namespace
}  // namespace lumex::app::test

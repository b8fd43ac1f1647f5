// The serial link over real pseudo-terminals: every operation against the
// virtual ECU, whole-record transfers (also on a lossy line), malformed and
// late answers from a scripted ECU, lost connections and the heartbeat.

#include "LinkTestSupport.h"

#include "Catalogue.h"
#include "ConfCar.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace lumex::test {
namespace {

// The indices ConfCar::ReadAll fills from the ECU.
constexpr ParamIndex kReadAllIndices[] = {
    1, 2, 62, 57, 63, 58, 56, 54, 3, 59, 4, 51, 5, 6, 7, 8, 39, 38, 36, 35, 31, 32, 33, 34, 41, 42, 60, 66,
    40, 23, 24, 61, 9, 10, 25, 27, 28, 17, 12, 13, 45, 44, 18, 48, 43, 22, 55, 30, 19, 52, 53, 14, 15, 16, 46};

unsigned EcuNumberOf(ParamIndex index) { return CodeEcuNumber(DescriptorOf(index)); }

// Every word ReadAll filled must be what the ECU holds.
void ExpectRecordMatchesEcu(ConfCar& car, SimulatedEcu& sim) {
    sim.WithEcu([&](VirtualEcu& ecu) {
        for (ParamIndex index : kReadAllIndices) {
            for (int e = 0; e < ElementsOf(index); ++e)
                EXPECT_EQ(car.MemberOf(index)[e], ecu.Memory(EcuNumberOf(index), e))
                    << "index " << index << " element " << e;
        }
    });
}

// Gives the ECU a memory unlike the factory defaults, so a read that
// silently failed cannot pass for a good one.
void FillEcuWithPattern(VirtualEcu& ecu) {
    for (unsigned number = 1; number < 256; ++number) {
        if (!ecu.HasParam(number) || number == 53 || number == 40) continue;
        for (int e = 0; e < ecu.ElementCount(number); ++e)
            ecu.SetMemory(number, e, static_cast<std::int32_t>((number * 7 + e * 13) % 250 + 1));
    }
}

class LinkOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.pty.ok());
        sim.ecu.SetIdent({7, 2, 1, 40});
        FillEcuWithPattern(sim.ecu);
    }
    void StartAndConnect(SimFaults faults = {}, int baud = 19200) {
        sim.Start(faults, baud);
        link = std::make_unique<SerialLink>(SerialLink::Settings{sim.pty.path(), baud});
        link->SetOptionA(0);
        link->SetOptionB(4);
        link->SetScreen(&screen);
        ASSERT_TRUE(link->OpenPort());
        ASSERT_EQ(link->Connect(), 1);
    }

    SimulatedEcu sim;
    RecordingScreen screen;
    std::unique_ptr<SerialLink> link;
};

TEST_F(LinkOverPty, ConnectsAndIdentifies) {
    StartAndConnect();
    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1}));
    EXPECT_EQ(link->IsConnected(), 1);
    EXPECT_EQ(link->GetPort(), sim.pty.number());
    std::uint8_t ident[4] = {};
    ASSERT_TRUE(link->ReadIdent(ident));
    EXPECT_EQ(std::vector<int>(ident, ident + 4), (std::vector<int>{7, 2, 1, 40}));
}

TEST_F(LinkOverPty, ReadsSingleWordsAndWholeMultiValueParameters) {
    StartAndConnect();
    const auto memory = [&](unsigned n, int e) { return sim.WithEcu([&](VirtualEcu& ecu) { return ecu.Memory(n, e); }); };

    std::int32_t word = -1;
    ASSERT_TRUE(link->ReadParam(DescriptorOf(ChangeoverRpm), &word));
    EXPECT_EQ(word, memory(56, 0));

    // The full descriptor fills every element and nothing beyond.
    std::int32_t table[7] = {-1, -1, -1, -1, -1, -1, -1};
    ASSERT_TRUE(link->ReadParam(DescriptorOf(GaugeOutputTable), table));
    for (int e = 0; e < 6; ++e) EXPECT_EQ(table[e], memory(61, e)) << e;
    EXPECT_EQ(table[6], -1);

    // The bare number of a multi-value parameter reads one word only.
    std::int32_t pair[2] = {-1, -1};
    ASSERT_TRUE(link->ReadParam(61, pair));
    EXPECT_EQ(pair[0], memory(61, 0));
    EXPECT_EQ(pair[1], -1);

    // A parameter the unit cannot read leaves the word alone.
    word = 1234;
    EXPECT_FALSE(link->ReadParam(64, &word));
    EXPECT_EQ(word, 1234);
    EXPECT_EQ(link->IsConnected(), 1) << "a refusal is an answer, not a lost line";
}

TEST_F(LinkOverPty, WritesAreAcceptedOrRefusedAsTheEcuSays) {
    sim.ecu.RefuseParam(62);
    StartAndConnect();
    const auto memory = [&](unsigned n, int e) { return sim.WithEcu([&](VirtualEcu& ecu) { return ecu.Memory(n, e); }); };
    const std::int32_t overRevBefore = memory(62, 0);

    struct Case {
        const char* name;
        std::function<bool()> call;
        bool accepted;
        unsigned number;
        int element;
        std::int32_t expectedMemory;
    };
    const std::vector<Case> cases = {
        {"word by descriptor", [&] { return link->WriteParam(DescriptorOf(ChangeoverRpm), 54); }, true, 56, 0, 54},
        {"word by bare number", [&] { return link->WriteParam(56, 60); }, true, 56, 0, 60},
        {"refused parameter", [&] { return link->WriteParam(62, 99); }, false, 62, 0, overRevBefore},
        {"value out of range", [&] { return link->WriteParam(56, 256); }, false, 56, 0, 60},
        {"element", [&] { return link->WriteParamItem(61, 4, 77); }, true, 61, 4, 77},
        {"element past the end", [&] { return link->WriteParamItem(61, 6, 1); }, false, 61, 5, memory(61, 5)},
        {"negative element", [&] { return link->WriteParamItem(61, -1, 1); }, false, 61, 0, memory(61, 0)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.call(), c.accepted) << c.name;
        EXPECT_EQ(memory(c.number, c.element), c.expectedMemory) << c.name;
    }
    EXPECT_EQ(link->IsConnected(), 1);
    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1}));
}

TEST_F(LinkOverPty, EraseRestoresFactoryDefaults) {
    StartAndConnect();
    ASSERT_TRUE(link->WriteParamItem(0, 0, 0));
    sim.WithEcu([](VirtualEcu& ecu) {
        EXPECT_EQ(ecu.Memory(56, 0), CatalogueEntry(ChangeoverRpm)->defaults[0]);
        EXPECT_EQ(ecu.Memory(61, 3), CatalogueEntry(GaugeOutputTable)->defaults[3]);
    });
}

TEST_F(LinkOverPty, ReadsLivePagesAndDrivesTheGauge) {
    StartAndConnect();
    for (int page : {0, 1}) {
        std::uint8_t expected[kLivePageLength] = {};
        int expectedLength = kLivePageLength;
        sim.WithEcu([&](VirtualEcu& ecu) { return ecu.ReadLive(page, expected, expectedLength); });
        std::uint8_t buffer[kLivePageLength] = {};
        int length = kLivePageLength;
        ASSERT_TRUE(link->ReadLive(page, buffer, length)) << page;
        ASSERT_EQ(length, expectedLength);
        EXPECT_EQ(std::vector<int>(buffer, buffer + length), std::vector<int>(expected, expected + length));
    }
    std::uint8_t buffer[kLivePageLength];
    int length = kLivePageLength;
    EXPECT_FALSE(link->ReadLive(2, buffer, length)) << "there is no page 2";

    link->TestGauge(180, -1);
    sim.WithEcu([](VirtualEcu& ecu) {
        EXPECT_EQ(ecu.LastGaugeValue(), 180);
        EXPECT_GE(ecu.GaugeTestCount(), 1);  // a retry on a slow machine repeats it
    });
}

TEST_F(LinkOverPty, UserDisconnectSendsNoLostMessage) {
    StartAndConnect();
    link->Disconnect();
    EXPECT_EQ(link->IsConnected(), 0);
    std::int32_t word = 0;
    EXPECT_FALSE(link->ReadParam(56, &word)) << "a closed port answers nothing";
    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1}));

    // And the port can be opened again.
    ASSERT_TRUE(link->OpenPort());
    ASSERT_EQ(link->Connect(), 1);
    EXPECT_TRUE(link->ReadParam(56, &word));
}

TEST_F(LinkOverPty, ReadAllAndWriteAllMatchTheEcuMemory) {
    StartAndConnect();
    ConfCar car;
    car.AttachLink(link.get());
    car.ReadAll();
    ExpectRecordMatchesEcu(car, sim);

    for (ParamIndex index : kReadAllIndices)
        for (int e = 0; e < ElementsOf(index); ++e) car.MemberOf(index)[e] = (car.MemberOf(index)[e] + 5 + e) % 200;
    // Two indices share the ECU's parameter 54: keep them alike so the
    // record can match the ECU afterwards.
    *car.MemberOf(OverlapTimeMs) = *car.MemberOf(FuelOverlapTime);
    const ConfCar::Words written = car.RawWords();
    car.WriteAll();
    sim.WithEcu([&](VirtualEcu& ecu) {
        EXPECT_EQ(ecu.Memory(56, 0), written[static_cast<std::size_t>(StorageOf(ChangeoverRpm))]);
        EXPECT_EQ(ecu.Memory(61, 5), written[static_cast<std::size_t>(StorageOf(GaugeOutputTable) + 5)]);
        EXPECT_EQ(ecu.Memory(25, 2), written[static_cast<std::size_t>(StorageOf(TpsThresholds) + 2)]);
    });

    ConfCar again;
    again.AttachLink(link.get());
    again.ReadAll();
    ExpectRecordMatchesEcu(again, sim);
    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1}));
}

TEST_F(LinkOverPty, LossyLineStillTransfersEveryValue) {
    SimFaults faults;
    faults.seed = 7;
    faults.dropAnswer = 0.05;
    faults.corruptAnswer = 0.01;
    StartAndConnect(faults);

    ConfCar car;
    car.AttachLink(link.get());
    car.ReadAll();
    ExpectRecordMatchesEcu(car, sim);

    for (ParamIndex index : kReadAllIndices)
        for (int e = 0; e < ElementsOf(index); ++e) car.MemberOf(index)[e] = (car.MemberOf(index)[e] * 3 + 1) % 211;
    *car.MemberOf(OverlapTimeMs) = *car.MemberOf(FuelOverlapTime);
    car.WriteAll();

    ConfCar again;
    again.AttachLink(link.get());
    again.ReadAll();
    ExpectRecordMatchesEcu(again, sim);
    // Nothing half-written: what the ECU holds is what was sent.
    for (ParamIndex index : {ChangeoverRpm, OverRevRpm, CutOffPosition})
        EXPECT_EQ(*again.MemberOf(index), *car.MemberOf(index)) << index;
    for (int e = 0; e < 6; ++e) EXPECT_EQ(again.MemberOf(GaugeOutputTable)[e], car.MemberOf(GaugeOutputTable)[e]);

    EXPECT_EQ(link->IsConnected(), 1);
    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1}));
    EXPECT_GT(sim.server().RequestsReceived(), sim.server().AnswersSent()) << "the faults did happen";
}

TEST_F(LinkOverPty, UnplugDuringReadAllReportsTheLossAndFailsFast) {
    SimFaults faults;
    faults.unplugAfter = 20;  // Connect and 19 reads
    StartAndConnect(faults);
    ConfCar car;
    car.AttachLink(link.get());
    car.ReadAll();

    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1, 0}));
    EXPECT_EQ(link->IsConnected(), 0);
    std::int32_t word = 0;
    std::uint8_t ident[4];
    EXPECT_FALSE(link->ReadParam(56, &word));
    EXPECT_FALSE(link->WriteParam(56, 1));
    EXPECT_FALSE(link->ReadIdent(ident));
    // The loss was noticed on the first silent request: one request and its
    // retries went out after the unplug, nothing more.
    EXPECT_EQ(sim.server().RequestsReceived(), 20 + 4);
    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1, 0})) << "the loss is reported once";
}

TEST_F(LinkOverPty, HeartbeatNoticesASilentEcuWithinThreeSeconds) {
    SimFaults faults;
    faults.unplugAfter = 1;  // answers Connect, then nothing
    StartAndConnect(faults);
    QElapsedTimer clock;
    clock.start();
    while (screen.StateChanges().size() < 2 && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1, 0}));
    EXPECT_EQ(link->IsConnected(), 0);
}

TEST_F(LinkOverPty, HeartbeatKeepsAnAnsweringEcuConnected) {
    StartAndConnect();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1600) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(link->IsConnected(), 1);
    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1}));
    EXPECT_GE(sim.server().RequestsReceived(), 2) << "an idle link pings";
}

// Answers a well-behaved ECU would never send, and what the link must make of
// them. The value 42 is the real answer; 99 marks an answer that must not be
// taken.
TEST(LinkAnswers, OnlyTheRightAnswerIsTaken) {
    using Frame = wire::Frame;
    using Line = ScriptedEcu;
    const int timeoutMs = SerialLink(SerialLink::Settings{"x", 19200}).AnswerTimeoutMs();

    struct Case {
        const char* name;
        ScriptedEcu::Responder responder;
        bool ok;
        bool lost = !ok;  // every attempt failed: the line counts as dead
    };
    const std::vector<Case> cases = {
        {"garbage before the answer",
         [](const Frame& r, int, Line& line) {
             line.Write({0x00, 0xA5, 0x13, 0x7E});
             line.Write(Line::Answer(r, Line::OneWord(42)));
         },
         true},
        {"answer split into single bytes",
         [](const Frame& r, int, Line& line) {
             for (std::uint8_t byte : Line::Answer(r, Line::OneWord(42))) {
                 line.Write({byte});
                 Line::Sleep(1);
             }
         },
         true},
        {"wrong sequence number first",
         [](const Frame& r, int, Line& line) {
             line.Write(Line::Answer(r, Line::OneWord(99), 1));
             line.Write(Line::Answer(r, Line::OneWord(42)));
         },
         true},
        {"answer to another command first",
         [](const Frame& r, int, Line& line) {
             line.Write(Line::Answer(r, Line::OneWord(99), 0, 0x11));
             line.Write(Line::Answer(r, Line::OneWord(42)));
         },
         true},
        {"late answer to the first attempt",
         [timeoutMs](const Frame& r, int number, Line& line) {
             if (number == 0) {
                 Line::Sleep(timeoutMs + 40);
                 line.Write(Line::Answer(r, Line::OneWord(99)));
             } else {
                 line.Write(Line::Answer(r, Line::OneWord(42)));
             }
         },
         true},
        {"wrong CRC every time",
         [](const Frame& r, int, Line& line) {
             auto bytes = Line::Answer(r, Line::OneWord(99));
             bytes.back() ^= 0x40;
             line.Write(bytes);
         },
         false},
        {"truncated every time",
         [](const Frame& r, int, Line& line) {
             auto bytes = Line::Answer(r, Line::OneWord(99));
             bytes.resize(bytes.size() - 3);
             line.Write(bytes);
         },
         false},
        {"wrong sequence every time",
         [](const Frame& r, int, Line& line) { line.Write(Line::Answer(r, Line::OneWord(99), -1)); },
         false},
        {"malformed payload",
         [](const Frame& r, int, Line& line) { line.Write(Line::Answer(r, {0, 1, 0, 0})); },
         false, false},
        {"silence", [](const Frame&, int, Line&) {}, false},
    };

    for (const auto& c : cases) {
        ScriptedEcu ecu(c.responder);
        RecordingScreen screen;
        SerialLink link(SerialLink::Settings{ecu.path(), 19200});
        link.SetScreen(&screen);
        ASSERT_TRUE(link.OpenPort()) << c.name;
        ASSERT_EQ(link.Connect(), 1) << c.name;

        std::int32_t word = -1;
        const bool ok = link.ReadParam(56, &word);
        EXPECT_EQ(ok, c.ok) << c.name;
        if (c.ok) EXPECT_EQ(word, 42) << c.name;
        else EXPECT_NE(word, 99) << c.name;
        if (c.lost) {
            EXPECT_EQ(ecu.requests(), SerialLink::kDefaultAttempts) << c.name << ": one try, three retries";
            EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1, 0})) << c.name;
        } else {
            EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1})) << c.name;
        }
    }
}

TEST(SerialLinkPorts, PortNumbers) {
    struct Case {
        const char* name;
        int number;
    };
    for (const Case& c : std::vector<Case>{{"COM3", 2},
                                           {"COM1", 0},
                                           {"com12", 11},
                                           {"/dev/ttyS1", 1},
                                           {"/dev/ttyS0", 0},
                                           {"/dev/pts/7", 7},
                                           {"/dev/ttyUSB0", kUsbPort},
                                           {"/dev/ttyACM2", kUsbPort},
                                           {"sim", 0}})
        EXPECT_EQ(SerialLink::PortNumberOf(c.name), c.number) << c.name;
}

TEST(SerialLinkPorts, MissingDeviceDoesNotOpen) {
    RecordingScreen screen;
    SerialLink link(SerialLink::Settings{"/dev/lumex-no-such-port", 19200});
    link.SetScreen(&screen);
    EXPECT_FALSE(link.OpenPort());
    EXPECT_EQ(link.Connect(), 0);
    std::uint8_t ident[4];
    EXPECT_FALSE(link.ReadIdent(ident));
    EXPECT_TRUE(screen.messages.empty());
}

}  // namespace
}  // namespace lumex::test

// ReadAll and WriteAll: the exact walk over the link (order, codes, elements),
// the progress messages, and what the walk leaves in the record.
#include "ConfCar.h"
#include "RecordingLink.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace lumex;
using lumex::test::LinkCall;
using lumex::test::RecordingLink;
using lumex::test::RecordingScreen;
using lumex::test::ScreenMessage;

namespace {

// The reads in order, as (index, code the link must get).
const std::vector<std::pair<ParamIndex, std::uint32_t>> kExpectedReads = {
    {1, 1}, {2, 2}, {62, 62},
    {57, 54}, {63, 63}, {58, 58}, {56, 56},
    {54, 54}, {3, 3}, {59, 59}, {4, 4}, {51, 51},
    {5, 5}, {6, 6}, {7, 519}, {8, 8}, {39, 39},
    {38, 38}, {36, 36}, {35, 35}, {31, 31},
    {32, 32}, {33, 33}, {34, 34},
    {41, 41}, {42, 42}, {60, 24892},
    {66, 57}, {40, 40}, {23, 23}, {24, 24}, {61, 24893},
    {9, 9}, {10, 10}, {25, 12569}, {27, 8475},
    {28, 28}, {17, 17}, {12, 12}, {13, 13}, {45, 45},
    {44, 44}, {18, 18}, {48, 48}, {43, 43}, {22, 22}, {55, 55},
    {30, 30}, {19, 19}, {52, 52}, {53, 53}, {14, 14}, {15, 15}, {16, 16}, {46, 46},
};
// Reads done when each progress message arrives: after each group.
const std::vector<std::size_t> kReadsAtProgress = {3, 7, 12, 17, 21, 24, 27, 32, 36, 41, 47, 55};

// Remembers how many reads the link had seen when each message arrived, so
// the test can tell a message sent after its group from one sent anywhere.
class CountingScreen : public RecordingScreen {
public:
    explicit CountingScreen(const RecordingLink& link) : m_link(link) {}
    void SendToActiveWindow(unsigned message, std::intptr_t wParam, std::intptr_t lParam) override
    {
        RecordingScreen::SendToActiveWindow(message, wParam, lParam);
        readsSoFar.push_back(m_link.Reads().size());
    }
    std::vector<std::size_t> readsSoFar;

private:
    const RecordingLink& m_link;
};

std::vector<ScreenMessage> ExpectedProgress()
{
    std::vector<ScreenMessage> messages(11, ScreenMessage{WM_LINK_PROGRESS, 9, 1});
    messages.push_back({WM_LINK_PROGRESS, 100, 0});
    return messages;
}

class TransferTest : public ::testing::Test {
protected:
    TransferTest() { record.AttachLink(&link); }

    // Gives every word a value of its own (index * 10 + element), so a write
    // of the wrong word shows.
    void MarkEveryWord()
    {
        for (ParamIndex i = 0; i < kParamCount; ++i)
            if (std::int32_t* word = record.MemberOf(i))
                for (int e = 0; e < ElementsOf(i); ++e) word[e] = i * 10 + e;
    }

    RecordingLink link;
    ConfCar record;
};

TEST_F(TransferTest, ReadAllWalksTheGroupsAndReportsProgress)
{
    CountingScreen screen(link);
    record.AttachScreen(&screen);
    record.ReadAll();

    std::vector<LinkCall> expected;
    for (const auto& [index, code] : kExpectedReads) expected.push_back(LinkCall::Read(code));
    EXPECT_EQ(link.ParamCalls(), expected);
    EXPECT_EQ(screen.Messages(), ExpectedProgress());
    EXPECT_EQ(screen.readsSoFar, kReadsAtProgress);
}

TEST_F(TransferTest, ReadAllFillsTheWordsTheLinkReturns)
{
    link.SetReadValues(54, {33});
    link.SetReadValues(60, {1, 2, 3, 4, 5, 6});
    link.SetReadValues(25, {7, 8, 9});
    link.SetReadValues(27, {10, 11});
    link.SetReadValues(56, {54});
    *record.MemberOf(SwitchType) = 4;
    *record.MemberOf(GasStartTemp) = 99;
    record.ReadAll();

    EXPECT_EQ(*record.MemberOf(OverlapTimeMs), 33);  // both words of ECU parameter 54
    EXPECT_EQ(*record.MemberOf(FuelOverlapTime), 33);
    EXPECT_EQ(record.MemberOf(LevelSensorTable)[5], 6);
    EXPECT_EQ(record.MemberOf(TpsThresholds)[2], 9);
    EXPECT_EQ(record.MemberOf(LambdaReferences)[1], 11);
    EXPECT_EQ(record.ReadValue(ChangeoverRpm), 2200);
    // The ECU is not asked for these two; they are cleared.
    EXPECT_EQ(record.ReadValue(SwitchType), 0);
    EXPECT_EQ(*record.MemberOf(GasStartTemp), 0);
}

TEST_F(TransferTest, ReadAllAgainstARefusingLinkStillWalksToTheEnd)
{
    RecordingScreen screen;
    record.AttachScreen(&screen);
    link.RefuseEverything();
    MarkEveryWord();
    const ConfCar::Words before = record.RawWords();
    record.ReadAll();

    EXPECT_EQ(link.Reads().size(), kExpectedReads.size());
    EXPECT_EQ(screen.Messages(), ExpectedProgress());
    // Unread words keep their values; only the two cleared ones change.
    ConfCar::Words expected = before;
    expected[static_cast<std::size_t>(StorageOf(SwitchType))] = 0;
    expected[static_cast<std::size_t>(StorageOf(GasStartTemp))] = 0;
    EXPECT_EQ(record.RawWords(), expected);
}

TEST_F(TransferTest, ReadAllWithoutScreenSendsNothing)
{
    record.ReadAll();  // must not need a screen
    EXPECT_EQ(link.Reads().size(), kExpectedReads.size());
}

// WriteAll's walk with every word marked, as (code, element, value) calls.
std::vector<LinkCall> ExpectedWrites(bool withLevelTable)
{
    std::vector<LinkCall> calls;
    const auto word = [&](ParamIndex index, std::uint32_t code) {
        calls.push_back(LinkCall::Write(code, index * 10));
    };
    const auto items = [&](ParamIndex index, std::uint32_t number, int count) {
        for (int e = 0; e < count; ++e) calls.push_back(LinkCall::WriteItem(number, e, index * 10 + e));
    };
    const std::vector<std::pair<ParamIndex, std::uint32_t>> first = {
        {1, 1}, {2, 2}, {62, 62}, {57, 54}, {58, 58}, {63, 63}, {56, 56}, {54, 54},
        {3, 3}, {59, 59}, {4, 4}, {51, 51}, {5, 5}, {6, 6}, {7, 519}, {8, 8},
        {39, 39}, {38, 38}, {36, 36}, {35, 35}, {31, 31}, {32, 32}, {33, 33}, {34, 34},
        {41, 41}, {42, 42}, {66, 57}, {40, 40}, {23, 23}, {24, 24}, {9, 9}, {10, 10},
    };
    const std::vector<ParamIndex> second = {28, 17, 12, 13, 45, 44, 18, 48, 43, 22,
                                            55, 30, 19, 52, 53, 14, 15, 16, 46};
    for (const auto& [index, code] : first) word(index, code);
    items(25, 25, 3);
    items(27, 27, 2);
    for (const ParamIndex index : second) word(index, static_cast<std::uint32_t>(index));
    items(61, 61, 6);
    if (withLevelTable) items(60, 60, 6);
    return calls;
}

TEST_F(TransferTest, WriteAllSendsTheWholeRecordInOrder)
{
    // The level-sensor table goes only to sensors that use it.
    const struct {
        std::int32_t sensor;
        bool withTable;
    } cases[] = {{129, false}, {131, true}, {4, true}, {2, false}};
    for (const auto& c : cases) {
        MarkEveryWord();
        *record.MemberOf(LevelSensorType) = c.sensor;
        link.ClearCalls();
        record.WriteAll();
        std::vector<LinkCall> expected = ExpectedWrites(c.withTable);
        expected[9] = LinkCall::Write(59, c.sensor);
        EXPECT_EQ(link.ParamCalls(), expected) << "sensor " << c.sensor;
    }
}

TEST_F(TransferTest, WriteAllSendsParameter54TwiceFuelOverlapLast)
{
    *record.MemberOf(OverlapTimeMs) = 5;
    *record.MemberOf(FuelOverlapTime) = 20;
    record.WriteAll();
    std::vector<std::int32_t> sent;
    for (const LinkCall& call : link.Writes())
        if (call.op == test::LinkOp::WriteParam && call.code == 54) sent.push_back(call.value);
    EXPECT_EQ(sent, (std::vector<std::int32_t>{5, 20}));
}

TEST_F(TransferTest, WriteAllAgainstARefusingLinkStillWalksToTheEnd)
{
    MarkEveryWord();
    link.RefuseEverything();
    const ConfCar::Words before = record.RawWords();
    record.WriteAll();
    EXPECT_EQ(link.ParamCalls(), ExpectedWrites(false));
    EXPECT_EQ(record.RawWords(), before);
}

}  // namespace

// The frame codec: what goes on the wire, and what the decoder accepts out of
// a noisy line.

#include "WireProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumex::wire {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Frame> DecodeAll(const Bytes& line) {
    FrameDecoder decoder;
    decoder.Push(line);
    std::vector<Frame> frames;
    while (auto frame = decoder.Next()) frames.push_back(*frame);
    return frames;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(WireProtocol, CrcIsCcittFalse) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16(std::span(reinterpret_cast<const std::uint8_t*>(check.data()), check.size())), 0x29B1);
}

// The worked examples of the protocol notes, byte for byte: a read of
// parameter 56 answered with 54, and a write of 60 to it, accepted.
TEST(WireProtocol, EncodesTheWorkedExamples) {
    struct Case {
        Frame frame;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {{0x10, 0x07, {56, 0}}, {0xA5, 0x02, 0x10, 0x07, 0x38, 0x00, 0x47, 0x84}},
        {{0x90, 0x07, {0, 1, 0, 0, 0, 54}}, {0xA5, 0x06, 0x90, 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x36, 0x67, 0x4F}},
        {{0x11, 0x08, {56, 0, 0, 0, 60}}, {0xA5, 0x05, 0x11, 0x08, 0x38, 0x00, 0x00, 0x00, 0x3C, 0x02, 0xC4}},
        {{0x91, 0x08, {0}}, {0xA5, 0x01, 0x91, 0x08, 0x00, 0x34, 0xD4}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeFrame(c.frame), c.bytes);
        EXPECT_EQ(DecodeAll(c.bytes), std::vector<Frame>{c.frame});
    }
}

TEST(WireProtocol, RefusesToEncodeAnOverlongPayload) {
    EXPECT_TRUE(EncodeFrame({1, 1, Bytes(kMaxPayload + 1, 0)}).empty());
    EXPECT_EQ(EncodeFrame({1, 1, Bytes(kMaxPayload, 0)}).size(), kMaxFrame);
}

TEST(WireProtocol, WordsAreSignedAndBigEndian) {
    Bytes out;
    PutWord(out, -2);
    PutWord(out, 0x01020304);
    EXPECT_EQ(out, (Bytes{0xFF, 0xFF, 0xFF, 0xFE, 1, 2, 3, 4}));
    EXPECT_EQ(GetWord(out, 0), -2);
    EXPECT_EQ(GetWord(out, 4), 0x01020304);
    EXPECT_EQ(GetWord(out, 5), 0) << "a word running past the end is not read";
}

// What a noisy line does to frames, and what the decoder must make of it.
TEST(FrameDecoder, FindsTheRealFramesInANoisyLine) {
    const Frame a{0x90, 1, {0, 1, 0, 0, 0, 42}};
    const Frame b{0x81, 2, {0, 7, 0, 1, 32}};
    const Bytes goodA = EncodeFrame(a);
    const Bytes goodB = EncodeFrame(b);
    Bytes badCrc = goodA;
    badCrc.back() ^= 0x01;
    Bytes flippedPayload = goodA;
    flippedPayload[5] ^= 0x10;
    const Bytes truncated(goodA.begin(), goodA.begin() + 5);
    const Bytes fakeStartWithHugeLength{0xA5, 0xF0, 0x00};
    const Bytes startBytesOnly{0xA5, 0xA5, 0xA5};

    struct Case {
        const char* name;
        Bytes line;
        std::vector<Frame> expected;
    };
    const std::vector<Case> cases = {
        {"clean frames", Concat({goodA, goodB}), {a, b}},
        {"garbage before", Concat({{0x00, 0x13, 0xFF}, goodA}), {a}},
        {"wrong CRC is dropped", Concat({badCrc, goodB}), {b}},
        {"flipped payload bit is dropped", Concat({flippedPayload, goodB}), {b}},
        {"truncated frame then a whole one", Concat({truncated, goodB}), {b}},
        {"impossible length", Concat({fakeStartWithHugeLength, goodA}), {a}},
        {"runs of start bytes", Concat({startBytesOnly, goodA, startBytesOnly, goodB}), {a, b}},
        {"noise start with a plausible length", Concat({{0xA5, 0x13}, goodA}), {a}},
        {"only a truncated frame", truncated, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeAll(c.line), c.expected) << c.name;
}

TEST(FrameDecoder, ReassemblesFramesDeliveredByteByByte) {
    const Frame a{0x90, 9, {0, 2, 1, 2, 3, 4, 5, 6, 7, 8}};
    const Bytes line = Concat({{0x55}, EncodeFrame(a), EncodeFrame(a)});
    FrameDecoder decoder;
    std::vector<Frame> frames;
    for (std::uint8_t byte : line) {
        decoder.Push(std::span(&byte, 1));
        while (auto frame = decoder.Next()) frames.push_back(*frame);
    }
    EXPECT_EQ(frames, (std::vector<Frame>{a, a}));
    EXPECT_FALSE(decoder.HasPartialFrame());
}

TEST(FrameDecoder, ResetForgetsAPartialFrame) {
    const Bytes whole = EncodeFrame({0x90, 3, {0}});
    FrameDecoder decoder;
    decoder.Push(std::span(whole).first(4));
    decoder.Reset();
    decoder.Push(std::span(whole).subspan(4));
    EXPECT_FALSE(decoder.Next().has_value()) << "the tail of an old frame must not complete a new one";
}

TEST(FrameDecoder, LongNoiseDoesNotHideTheNextFrame) {
    // Start bytes with impossible lengths, as a line at the wrong baud rate
    // delivers them.
    FrameDecoder decoder;
    const Bytes noise(100000, 0xA5);
    decoder.Push(noise);
    EXPECT_FALSE(decoder.Next().has_value());
    const Frame a{0x82, 5, {0}};
    decoder.Push(EncodeFrame(a));
    const auto frame = decoder.Next();
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(*frame, a);
}

}  // namespace
}  // namespace lumex::wire

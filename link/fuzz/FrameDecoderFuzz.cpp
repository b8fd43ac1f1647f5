// Fuzzes the frame decoder with arbitrary line noise. Checks that it never
// crashes or reads out of bounds, that how the bytes are split across Push
// calls does not change what is decoded, and that every frame it hands out
// survives an encode/decode round trip.

#include "WireProtocol.h"

#include <cstdlib>
#include <vector>

namespace {

std::vector<lumex::wire::Frame> DecodeAll(lumex::wire::FrameDecoder& decoder) {
    std::vector<lumex::wire::Frame> frames;
    while (auto frame = decoder.Next()) frames.push_back(std::move(*frame));
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumex::wire;
    const std::span<const std::uint8_t> input(data, size);

    FrameDecoder whole;
    whole.Push(input);
    const auto expected = DecodeAll(whole);

    // Chunk sizes taken from the data itself, the way a serial port delivers
    // arbitrary pieces.
    FrameDecoder pieces;
    std::vector<Frame> got;
    for (std::size_t at = 0; at < size;) {
        const std::size_t chunk = 1 + data[at] % 17;
        const std::size_t take = chunk < size - at ? chunk : size - at;
        pieces.Push(input.subspan(at, take));
        for (auto& frame : DecodeAll(pieces)) got.push_back(std::move(frame));
        at += take;
    }
    if (got != expected) std::abort();

    for (const Frame& frame : expected) {
        if (frame.payload.size() > kMaxPayload) std::abort();
        FrameDecoder again;
        again.Push(EncodeFrame(frame));
        const auto back = again.Next();
        if (!back || *back != frame) std::abort();
    }
    return 0;
}

// Fuzzes the frame decoder with arbitrary line noise, delivered whole and in
// pieces. Checks that it never crashes or reads out of bounds, never invents a
// frame (each one handed out is a run of the input bytes, in input order), and
// that every frame survives an encode/decode round trip.

#include "WireProtocol.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using lumex::wire::EncodeFrame;
using lumex::wire::Frame;
using lumex::wire::FrameDecoder;

void Check(bool condition) {
    if (!condition) std::abort();
}

// Each frame must be found in the input after the previous one.
void CheckFramesComeFromInput(const std::vector<Frame>& frames, std::span<const std::uint8_t> input) {
    auto from = input.begin();
    for (const Frame& frame : frames) {
        Check(frame.payload.size() <= lumex::wire::kMaxPayload);
        const auto bytes = EncodeFrame(frame);
        const auto at = std::search(from, input.end(), bytes.begin(), bytes.end());
        Check(at != input.end());
        from = at + static_cast<std::ptrdiff_t>(bytes.size());

        FrameDecoder again;
        again.Push(bytes);
        const auto back = again.Next();
        Check(back && *back == frame);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);

    FrameDecoder whole;
    whole.Push(input);
    std::vector<Frame> frames;
    while (auto frame = whole.Next()) frames.push_back(std::move(*frame));
    CheckFramesComeFromInput(frames, input);

    // Chunk sizes taken from the data itself, the way a serial port delivers
    // arbitrary pieces.
    FrameDecoder pieces;
    frames.clear();
    for (std::size_t at = 0; at < size;) {
        const std::size_t take = std::min<std::size_t>(1 + data[at] % 17, size - at);
        pieces.Push(input.subspan(at, take));
        while (auto frame = pieces.Next()) frames.push_back(std::move(*frame));
        at += take;
    }
    CheckFramesComeFromInput(frames, input);
    return 0;
}

#pragma once
// The serial protocol between the link and the ECU: frame layout, CRC,
// command numbers, payload helpers and a resynchronising frame decoder.
// Pure standard C++ so that the link module, the ECU simulator and the fuzz
// target share one codec. No state is shared: each thread uses its own
// FrameDecoder.
//
// Frame:  A5 | LEN | CMD | SEQ | PAYLOAD (LEN bytes) | CRC-HI | CRC-LO
// CRC-16/CCITT-FALSE over LEN, CMD, SEQ and the payload. An answer carries
// the request's command with bit 0x80 set and the request's sequence number;
// its first payload byte is a Status. Numbers wider than a byte are sent
// most significant byte first.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumex::wire {

inline constexpr std::uint8_t kStartByte = 0xA5;
// Longer LEN bytes are taken as noise: the longest real answer is 26 bytes.
inline constexpr std::size_t kMaxPayload = 64;
inline constexpr std::size_t kFrameOverhead = 6;  // start, LEN, CMD, SEQ, CRC x2
inline constexpr std::size_t kMaxFrame = kFrameOverhead + kMaxPayload;
inline constexpr std::uint8_t kAnswerBit = 0x80;

enum class Command : std::uint8_t {
    Ident = 0x01,        // -> status, family, model, options, firmware
    Ping = 0x02,         // -> status
    Connect = 0x03,      // -> status
    Disconnect = 0x04,   // -> status
    ReadParam = 0x10,    // number, all(0/1) -> status, count, count x word
    WriteParam = 0x11,   // number, word -> status
    WriteItem = 0x12,    // number, element, word -> status (0,0,0 erases)
    ReadLive = 0x20,     // page -> status, count, count x byte
    TestGauge = 0x21,    // value word, second word -> status
};

enum class Status : std::uint8_t {
    Ok = 0,
    Refused = 1,      // the ECU understood and said no
    BadRequest = 2,   // unknown command or malformed payload
};

struct Frame {
    std::uint8_t command = 0;
    std::uint8_t sequence = 0;
    std::vector<std::uint8_t> payload;

    bool operator==(const Frame&) const = default;
};

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial 0xFFFF, no reflection.
std::uint16_t Crc16(std::span<const std::uint8_t> data);

// The frame's bytes on the wire; an empty vector when the payload is too long.
std::vector<std::uint8_t> EncodeFrame(const Frame& frame);
constexpr std::size_t EncodedSize(std::size_t payloadSize) { return kFrameOverhead + payloadSize; }

constexpr std::uint8_t AnswerCommand(Command request) {
    return static_cast<std::uint8_t>(static_cast<std::uint8_t>(request) | kAnswerBit);
}

// Collects bytes and hands out each well-formed frame once. Bytes before a
// start byte, frames with an impossible length and frames with a wrong CRC are
// skipped; after a bad frame the search resumes one byte after its start byte,
// so a real frame hidden inside garbage is still found. While a frame start is
// waiting for the rest of its bytes, a complete frame found further on wins
// (the start was noise). Every frame handed out is a contiguous run of the
// bytes pushed since the last Reset, in the order they came.
class FrameDecoder {
public:
    void Push(std::span<const std::uint8_t> bytes);
    std::optional<Frame> Next();
    void Reset();

    // Bytes thrown away as noise since construction (for diagnostics).
    std::size_t DiscardedBytes() const { return m_discarded; }
    // True while part of a frame is waiting for the rest.
    bool HasPartialFrame() const { return m_begin < m_buffer.size(); }

private:
    void Drop(std::size_t count);
    void Compact();
    bool IsCompleteFrame(std::size_t at) const;
    // Offset (from the current start, at least from) of the first complete
    // frame, 0 when there is none.
    std::size_t OffsetOfCompleteFrame(std::size_t from) const;

    std::vector<std::uint8_t> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_discarded = 0;
};

// Payload helpers.
void PutWord(std::vector<std::uint8_t>& out, std::int32_t word);
std::int32_t GetWord(std::span<const std::uint8_t> bytes, std::size_t at);

// Answer payload: status first, then the data.
std::vector<std::uint8_t> AnswerPayload(Status status, std::span<const std::uint8_t> data = {});

}  // namespace lumex::wire

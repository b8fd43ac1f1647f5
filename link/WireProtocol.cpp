#include "WireProtocol.h"

#include <algorithm>

namespace lumex::wire {

std::uint16_t Crc16(std::span<const std::uint8_t> data) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t byte : data) {
        crc ^= static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021)
                                 : static_cast<std::uint16_t>(crc << 1);
        }
    }
    return crc;
}

std::vector<std::uint8_t> EncodeFrame(const Frame& frame) {
    if (frame.payload.size() > kMaxPayload) return {};
    std::vector<std::uint8_t> bytes;
    bytes.reserve(EncodedSize(frame.payload.size()));
    bytes.push_back(kStartByte);
    bytes.push_back(static_cast<std::uint8_t>(frame.payload.size()));
    bytes.push_back(frame.command);
    bytes.push_back(frame.sequence);
    bytes.insert(bytes.end(), frame.payload.begin(), frame.payload.end());
    const std::uint16_t crc = Crc16(std::span(bytes).subspan(1));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return bytes;
}

void FrameDecoder::Push(std::span<const std::uint8_t> bytes) {
    Compact();
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
}

std::optional<Frame> FrameDecoder::Next() {
    for (;;) {
        const auto begin = m_buffer.begin() + static_cast<std::ptrdiff_t>(m_begin);
        const auto start = std::find(begin, m_buffer.end(), kStartByte);
        Drop(static_cast<std::size_t>(start - begin));
        const std::size_t available = m_buffer.size() - m_begin;
        if (available < 2) return std::nullopt;

        const std::uint8_t* frame = m_buffer.data() + m_begin;
        const std::size_t payloadSize = frame[1];
        if (payloadSize > kMaxPayload) {
            Drop(1);
            continue;
        }
        const std::size_t total = EncodedSize(payloadSize);
        if (available < total) {
            // A noise byte that looks like a frame start must not hide a
            // whole frame that has already arrived behind it.
            const std::size_t later = OffsetOfCompleteFrame(1);
            if (later == 0) return std::nullopt;
            Drop(later);
            continue;
        }
        if (!IsCompleteFrame(m_begin)) {
            Drop(1);
            continue;
        }
        Frame decoded;
        decoded.command = frame[2];
        decoded.sequence = frame[3];
        decoded.payload.assign(frame + 4, frame + 4 + payloadSize);
        m_begin += total;
        return decoded;
    }
}

bool FrameDecoder::IsCompleteFrame(std::size_t at) const {
    const std::size_t available = m_buffer.size() - at;
    if (available < kFrameOverhead || m_buffer[at] != kStartByte) return false;
    const std::uint8_t* frame = m_buffer.data() + at;
    const std::size_t payloadSize = frame[1];
    const std::size_t total = EncodedSize(payloadSize);
    if (payloadSize > kMaxPayload || available < total) return false;
    const std::uint16_t expected = Crc16(std::span(frame + 1, 3 + payloadSize));
    return expected == static_cast<std::uint16_t>((frame[total - 2] << 8) | frame[total - 1]);
}

std::size_t FrameDecoder::OffsetOfCompleteFrame(std::size_t from) const {
    for (std::size_t offset = from; m_begin + offset < m_buffer.size(); ++offset)
        if (IsCompleteFrame(m_begin + offset)) return offset;
    return 0;
}

void FrameDecoder::Reset() {
    m_buffer.clear();
    m_begin = 0;
}

void FrameDecoder::Drop(std::size_t count) {
    m_begin += count;
    m_discarded += count;
}

void FrameDecoder::Compact() {
    if (m_begin == 0) return;
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_begin));
    m_begin = 0;
}

void PutWord(std::vector<std::uint8_t>& out, std::int32_t word) {
    const auto value = static_cast<std::uint32_t>(word);
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::int32_t GetWord(std::span<const std::uint8_t> bytes, std::size_t at) {
    if (at + 4 > bytes.size()) return 0;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | bytes[at + i];
    return static_cast<std::int32_t>(value);
}

std::vector<std::uint8_t> AnswerPayload(Status status, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> payload;
    payload.reserve(1 + data.size());
    payload.push_back(static_cast<std::uint8_t>(status));
    payload.insert(payload.end(), data.begin(), data.end());
    return payload;
}

}  // namespace lumex::wire

#include "EcuServer.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace lumex {

namespace {

using wire::Command;
using wire::Frame;
using wire::Status;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SleepUntilNs(std::int64_t deadline) {
    std::this_thread::sleep_until(std::chrono::steady_clock::time_point(std::chrono::nanoseconds(deadline)));
}

Status StatusOf(bool ok) { return ok ? Status::Ok : Status::Refused; }

std::vector<std::uint8_t> AnswerIdent(VirtualEcu& ecu) {
    // The unit always knows who it is, session or not: the link probes ports
    // with this request before it connects.
    const EcuIdentBytes ident = ecu.Ident();
    const std::uint8_t bytes[] = {ident.family, ident.model, ident.options, ident.firmware};
    return wire::AnswerPayload(Status::Ok, bytes);
}

std::vector<std::uint8_t> AnswerReadParam(VirtualEcu& ecu, unsigned number, bool all) {
    const int count = all ? std::clamp(ecu.ElementCount(number), 1, VirtualEcu::kMaxElements) : 1;
    const std::uint32_t code = count > 1 ? (number | 256u | (static_cast<std::uint32_t>(count) << 12)) : number;
    std::int32_t words[VirtualEcu::kMaxElements] = {};
    if (!ecu.ReadParam(code, words)) return wire::AnswerPayload(Status::Refused);
    std::vector<std::uint8_t> data{static_cast<std::uint8_t>(count)};
    for (int i = 0; i < count; ++i) wire::PutWord(data, words[i]);
    return wire::AnswerPayload(Status::Ok, data);
}

std::vector<std::uint8_t> AnswerReadLive(VirtualEcu& ecu, int page) {
    std::uint8_t buffer[kLivePageLength] = {};
    int length = kLivePageLength;
    if (!ecu.ReadLive(page, buffer, length)) return wire::AnswerPayload(Status::Refused);
    length = std::clamp(length, 0, kLivePageLength);
    std::vector<std::uint8_t> data{static_cast<std::uint8_t>(length)};
    data.insert(data.end(), buffer, buffer + length);
    return wire::AnswerPayload(Status::Ok, data);
}

std::vector<std::uint8_t> AnswerPayloadFor(VirtualEcu& ecu, const Frame& request) {
    const auto& p = request.payload;
    const auto bad = wire::AnswerPayload(Status::BadRequest);
    switch (static_cast<Command>(request.command)) {
    case Command::Ident:
        return p.empty() ? AnswerIdent(ecu) : bad;
    case Command::Ping:
        return p.empty() ? wire::AnswerPayload(Status::Ok) : bad;
    case Command::Connect:
        if (!p.empty()) return bad;
        return wire::AnswerPayload(StatusOf(ecu.IsConnected() || (ecu.OpenPort() && ecu.Connect())));
    case Command::Disconnect:
        // Sessions are the link's business; the unit keeps serving.
        return p.empty() ? wire::AnswerPayload(Status::Ok) : bad;
    case Command::ReadParam:
        return p.size() == 2 ? AnswerReadParam(ecu, p[0], p[1] != 0) : bad;
    case Command::WriteParam:
        if (p.size() != 5) return bad;
        return wire::AnswerPayload(StatusOf(ecu.WriteParam(p[0], wire::GetWord(p, 1))));
    case Command::WriteItem:
        if (p.size() != 6) return bad;
        return wire::AnswerPayload(StatusOf(ecu.WriteParamItem(p[0], p[1], wire::GetWord(p, 2))));
    case Command::ReadLive:
        return p.size() == 1 ? AnswerReadLive(ecu, p[0]) : bad;
    case Command::TestGauge:
        if (p.size() != 8) return bad;
        ecu.TestGauge(wire::GetWord(p, 0), wire::GetWord(p, 4));
        return wire::AnswerPayload(Status::Ok);
    }
    return bad;
}

}  // namespace

Frame AnswerRequest(VirtualEcu& ecu, const Frame& request) {
    Frame answer;
    answer.command = static_cast<std::uint8_t>(request.command | wire::kAnswerBit);
    answer.sequence = request.sequence;
    answer.payload = (request.command & wire::kAnswerBit) ? wire::AnswerPayload(Status::BadRequest)
                                                          : AnswerPayloadFor(ecu, request);
    return answer;
}

EcuServer::EcuServer(VirtualEcu& ecu, int fd, int baud, SimFaults faults, bool pacePty)
    : m_ecu(ecu), m_fd(fd), m_baud(baud > 0 ? baud : 19200), m_faults(faults), m_pace(pacePty),
      m_random(faults.seed) {}

std::int64_t EcuServer::ByteTimeNs() const { return 10'000'000'000LL / m_baud; }

void EcuServer::Run() {
    // A real unit serves from power-on; the protocol's Connect only opens a
    // session on the link's side.
    {
        std::lock_guard lock(m_ecuMutex);
        m_ecu.OpenPort();
        m_ecu.Connect();
    }

    wire::FrameDecoder decoder;
    std::uint8_t buffer[512];
    while (!m_stop) {
        pollfd watch{m_fd, POLLIN, 0};
        const int ready = poll(&watch, 1, 50);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t count = read(m_fd, buffer, sizeof buffer);
        if (count <= 0) {
            if (count < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) break;
            // EIO: nobody holds the terminal's other end right now.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        const std::int64_t arrived = NowNs();
        decoder.Push(std::span(buffer, static_cast<std::size_t>(count)));
        while (auto request = decoder.Next()) Serve(*request, arrived);
    }
}

bool EcuServer::Chance(double probability) {
    // Always draw, so that one frame's faults do not shift the next frame's.
    const double draw = std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
    return draw < probability;
}

void EcuServer::Serve(const Frame& request, std::int64_t arrivedNs) {
    const long number = ++m_requests;
    if (m_faults.unplugAfter >= 0 && number > m_faults.unplugAfter) return;

    std::vector<std::uint8_t> bytes;
    {
        std::lock_guard lock(m_ecuMutex);
        bytes = wire::EncodeFrame(AnswerRequest(m_ecu, request));
    }
    const bool drop = Chance(m_faults.dropAnswer);
    const bool corrupt = Chance(m_faults.corruptAnswer);
    const std::size_t flipBit = std::uniform_int_distribution<std::size_t>(0, bytes.size() * 8 - 1)(m_random);
    if (drop) return;
    if (corrupt) bytes[flipBit / 8] ^= static_cast<std::uint8_t>(1u << (flipBit % 8));

    // A pseudo-terminal delivers the request at once; a wire would still be
    // carrying it, so the answer cannot start before its last bit is in.
    std::int64_t start = arrivedNs;
    if (m_pace) start += static_cast<std::int64_t>(wire::EncodedSize(request.payload.size())) * ByteTimeNs();
    start += static_cast<std::int64_t>(m_faults.delayMs) * 1'000'000;
    WritePaced(bytes, start);
    ++m_answers;
}

void EcuServer::WritePaced(const std::vector<std::uint8_t>& bytes, std::int64_t startNs) {
    const std::int64_t byteTime = m_pace ? ByteTimeNs() : 0;
    std::size_t sent = 0;
    while (sent < bytes.size() && !m_stop) {
        const std::int64_t now = NowNs();
        std::size_t due = bytes.size();
        if (byteTime > 0) due = now < startNs ? 0 : std::min<std::size_t>(bytes.size(), (now - startNs) / byteTime);
        else if (now < startNs) due = 0;
        if (due <= sent) {
            SleepUntilNs(startNs + static_cast<std::int64_t>(sent + 1) * byteTime);
            continue;
        }
        const ssize_t written = write(m_fd, bytes.data() + sent, due - sent);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;  // nobody is draining the line: the rest is lost, as on a wire
        }
        sent += static_cast<std::size_t>(written);
    }
}

}  // namespace lumex

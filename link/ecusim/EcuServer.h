#pragma once
// EcuServer: makes a VirtualEcu answer the wire protocol over a file
// descriptor (a pseudo-terminal master or a serial device), the way a real
// unit would: bytes paced at the baud rate, and faults injected on request,
// deterministically for a given seed. Used by lumex-ecusim and by the link
// tests, which run it on a thread of their own.
//
// Threading: Run() uses the VirtualEcu while it runs; other threads may call
// Stop() and the counters, and may look at the ECU while holding EcuMutex().
// POSIX only.

#include "VirtualEcu.h"
#include "WireProtocol.h"

#include <atomic>
#include <mutex>
#include <cstdint>
#include <random>

namespace lumex {

struct SimFaults {
    std::uint32_t seed = 1;
    double dropAnswer = 0.0;      // probability that an answer is lost
    double corruptAnswer = 0.0;   // probability that one bit of an answer flips
    int delayMs = 0;              // every answer leaves this much later
    long unplugAfter = -1;        // requests answered before going silent (-1: never)
};

// What a VirtualEcu answers to one request; the caller applies any faults.
wire::Frame AnswerRequest(VirtualEcu& ecu, const wire::Frame& request);

class EcuServer {
public:
    // pacePty: the descriptor does not pace bytes itself (a pseudo-terminal),
    // so the server charges ten bit times per byte in both directions.
    EcuServer(VirtualEcu& ecu, int fd, int baud, SimFaults faults, bool pacePty = true);

    // Serves until Stop() is called or the descriptor fails for good.
    void Run();
    void Stop() { m_stop = true; }

    long RequestsReceived() const { return m_requests.load(); }
    long AnswersSent() const { return m_answers.load(); }
    // Held while a request is being answered.
    std::mutex& EcuMutex() { return m_ecuMutex; }

private:
    void Serve(const wire::Frame& request, std::int64_t arrivedNs);
    bool Chance(double probability);
    void WritePaced(const std::vector<std::uint8_t>& bytes, std::int64_t startNs);
    std::int64_t ByteTimeNs() const;

    VirtualEcu& m_ecu;
    int m_fd;
    int m_baud;
    SimFaults m_faults;
    bool m_pace;
    std::mt19937 m_random;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_requests{0};
    std::atomic<long> m_answers{0};
    std::mutex m_ecuMutex;
};

}  // namespace lumex

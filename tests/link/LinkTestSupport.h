#pragma once
// Helpers for the link tests: a pseudo-terminal pair, a virtual ECU served on
// it from a thread, a hand-scripted ECU for malformed answers, and a screen
// that records the link's messages.

#include "EcuServer.h"
#include "EcuLink.h"
#include "SerialLink.h"
#include "VirtualEcu.h"
#include "WireProtocol.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace lumex::test {

struct Message {
    unsigned message;
    std::intptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const Message&) const = default;
};

class RecordingScreen : public LinkScreen {
public:
    void SendToActiveWindow(unsigned message, std::intptr_t wParam, std::intptr_t lParam) override {
        messages.push_back({message, wParam, lParam});
    }
    std::vector<std::intptr_t> StateChanges() const {
        std::vector<std::intptr_t> states;
        for (const auto& m : messages)
            if (m.message == WM_LINK_STATE) states.push_back(m.lParam);
        return states;
    }
    std::vector<Message> messages;
};

// Both ends of a pseudo-terminal. The test keeps the far end open so that the
// master never sees a hang-up while the link reopens the port.
class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) return;
        termios raw{};
        tcgetattr(m_slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(m_slave, TCSANOW, &raw);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_path = name;
    }
    ~PtyPair() {
        if (m_master >= 0) close(m_master);
        if (m_slave >= 0) close(m_slave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return !m_path.empty(); }
    int master() const { return m_master; }
    const std::string& path() const { return m_path; }
    // N of /dev/pts/N.
    int number() const { return std::stoi(m_path.substr(m_path.find_last_of('/') + 1)); }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

// A VirtualEcu with a frozen clock (so live-derived words stay put) served
// over a pseudo-terminal from its own thread.
class SimulatedEcu {
public:
    SimulatedEcu() : ecu(1, [] { return std::int64_t{0}; }) {}
    ~SimulatedEcu() { Stop(); }

    void Start(SimFaults faults = {}, int baud = 19200) {
        m_server = std::make_unique<EcuServer>(ecu, pty.master(), baud, faults);
        m_thread = std::thread([this] { m_server->Run(); });
    }
    void Stop() {
        if (!m_server) return;
        m_server->Stop();
        if (m_thread.joinable()) m_thread.join();
    }
    // Runs f on the ECU while no request is being answered.
    template <typename F>
    auto WithEcu(F f) {
        if (!m_server) return f(ecu);
        std::lock_guard lock(m_server->EcuMutex());
        return f(ecu);
    }
    EcuServer& server() { return *m_server; }

    PtyPair pty;
    VirtualEcu ecu;

private:
    std::unique_ptr<EcuServer> m_server;
    std::thread m_thread;
};

// An ECU whose answers a test writes by hand. Connect is answered properly;
// every other request goes to the responder with its running number.
class ScriptedEcu {
public:
    using Responder = std::function<void(const wire::Frame& request, int number, ScriptedEcu& line)>;

    explicit ScriptedEcu(Responder responder) : m_responder(std::move(responder)) {
        m_thread = std::thread([this] { Run(); });
    }
    ~ScriptedEcu() {
        m_stop = true;
        m_thread.join();
    }

    const std::string& path() const { return m_pty.path(); }
    int requests() const { return m_requests.load(); }

    void Write(const std::vector<std::uint8_t>& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = write(m_pty.master(), bytes.data() + sent, bytes.size() - sent);
            if (n > 0) sent += static_cast<std::size_t>(n);
            else std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    static void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    static std::vector<std::uint8_t> Answer(const wire::Frame& request, std::vector<std::uint8_t> payload,
                                            int sequenceShift = 0, std::uint8_t commandXor = 0) {
        wire::Frame answer{static_cast<std::uint8_t>((request.command | wire::kAnswerBit) ^ commandXor),
                           static_cast<std::uint8_t>(request.sequence + sequenceShift), std::move(payload)};
        return wire::EncodeFrame(answer);
    }
    // An Ok answer to ReadParam carrying one word.
    static std::vector<std::uint8_t> OneWord(std::int32_t word) {
        std::vector<std::uint8_t> payload{0, 1};
        wire::PutWord(payload, word);
        return payload;
    }

private:
    void Run() {
        wire::FrameDecoder decoder;
        std::uint8_t buffer[256];
        while (!m_stop) {
            pollfd watch{m_pty.master(), POLLIN, 0};
            if (poll(&watch, 1, 20) <= 0) continue;
            const ssize_t n = read(m_pty.master(), buffer, sizeof buffer);
            if (n <= 0) continue;
            decoder.Push(std::span(buffer, static_cast<std::size_t>(n)));
            while (auto request = decoder.Next()) {
                if (request->command == static_cast<std::uint8_t>(wire::Command::Connect))
                    Write(Answer(*request, {0}));
                else
                    m_responder(*request, m_requests++, *this);
            }
        }
    }

    PtyPair m_pty;
    Responder m_responder;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};

}  // namespace lumex::test

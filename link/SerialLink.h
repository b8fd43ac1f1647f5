#pragma once
// SerialLink: the link to a real (or simulated) ECU on a serial line, speaking
// the wire protocol of WireProtocol.h. Every request waits for its answer
// with a timeout and is tried up to the configured number of attempts; an
// answer with the wrong command or sequence number, or one that arrives after
// its request gave up, is thrown away.
//
// Connection state goes to the LinkScreen: WM_LINK_STATE 1 when Connect
// succeeds, 0 when the connection is lost (a request failed on every attempt,
// or the heartbeat found the ECU silent). A Disconnect asked for by the user
// sends nothing. After a loss the port is closed and every call fails at once
// until the next OpenPort and Connect.
//
// Threading: the object belongs to the thread that creates it and must only be
// called from there (QSerialPort belongs to one thread). The heartbeat is a
// timer on that thread; it runs only when that thread has an event loop, and
// pings only when no request went out for a second.

#include "EcuLink.h"
#include "WireProtocol.h"

#include <QElapsedTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QSerialPort;
class QTimer;

namespace lumex {

class SerialLink final : public EcuLink {
public:
    struct Settings {
        std::string port = "auto";   // "auto" or a device name
        int baud = 19200;
    };
    // LUMEX_PORT and LUMEX_BAUD, with the defaults above.
    static Settings SettingsFromEnvironment();
    // 100 for a USB adapter, else the serial port number counted from 0.
    static int PortNumberOf(const std::string& portName);

    static constexpr int kDefaultAttempts = 4;   // one try and three retries
    static constexpr int kHeartbeatIdleMs = 1000;

    explicit SerialLink(Settings settings);
    ~SerialLink() override;

    // SetOptionA: extra milliseconds to wait for each answer (slow adapters).
    void SetOptionA(int value) override;
    // SetOptionB: attempts per request, 1 to 10 (4: one try and three retries).
    void SetOptionB(int value) override;
    void SetScreen(LinkScreen* screen) override;

    bool OpenPort() override;
    int Connect() override;
    void Disconnect() override;
    int IsConnected() override;
    int GetPort() override;

    bool ReadIdent(std::uint8_t* ident) override;
    bool ReadParam(std::uint32_t code, std::int32_t* words) override;
    bool WriteParam(std::uint32_t code, std::int32_t value) override;
    bool WriteParamItem(std::uint32_t code, int element, std::int32_t value) override;
    bool ReadLive(int page, std::uint8_t* buffer, int& length) override;
    void TestGauge(int value, int second) override;

    // Bytes written to and read from the line since the last reset, for the
    // wire-time figures of the benchmark.
    std::uint64_t BytesSent() const { return m_bytesSent; }
    std::uint64_t BytesReceived() const { return m_bytesReceived; }
    void ResetCounters() { m_bytesSent = m_bytesReceived = 0; }
    const std::string& PortName() const { return m_portName; }
    // How long one attempt waits for its answer at the current settings.
    int AnswerTimeoutMs() const;

private:
    bool OpenDevice(const std::string& name);
    bool OpenFirstAnsweringPort();
    void ClosePort();
    // Sends one request and returns the Ok answer's data (status stripped);
    // nullopt when the ECU refused or never answered properly.
    std::optional<std::vector<std::uint8_t>> Request(wire::Command command, std::vector<std::uint8_t> payload);
    std::optional<wire::Frame> Exchange(wire::Command command, const std::vector<std::uint8_t>& payload);
    std::optional<wire::Frame> AwaitAnswer(std::uint8_t command, std::uint8_t sequence, int timeoutMs);
    bool Send(const std::vector<std::uint8_t>& bytes);
    void DiscardInput();
    void LoseConnection();
    void Notify(bool connected);
    void StartHeartbeat();
    void StopHeartbeat();
    void OnHeartbeat();

    Settings m_settings;
    std::unique_ptr<QSerialPort> m_port;
    std::unique_ptr<QTimer> m_heartbeat;
    QElapsedTimer m_sinceLastRequest;
    wire::FrameDecoder m_decoder;
    LinkScreen* m_screen = nullptr;
    std::string m_portName;
    int m_extraWaitMs = 0;
    int m_attempts = kDefaultAttempts;
    std::uint8_t m_sequence = 0;
    bool m_connected = false;
    bool m_busy = false;
    bool m_filtersWarnings = false;
    std::uint64_t m_bytesSent = 0;
    std::uint64_t m_bytesReceived = 0;
};

}  // namespace lumex

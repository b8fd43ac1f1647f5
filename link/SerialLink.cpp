#include "SerialLink.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace lumex {

namespace {

using wire::Command;

// Time an ECU may take to start answering, beyond the bytes on the wire.
constexpr int kTurnaroundMs = 120;
constexpr int kHeartbeatTickMs = 250;
// The longest exchange: a write-item request and a six-word read answer.
constexpr int kLongestExchangeBytes = static_cast<int>(wire::EncodedSize(6) + wire::EncodedSize(26));

bool LooksLikeUsbAdapter(const std::string& name) {
    for (const char* marker : {"ttyUSB", "ttyACM", "usbserial", "usbmodem"})
        if (name.find(marker) != std::string::npos) return true;
    const QSerialPortInfo info(QString::fromStdString(name));
    return info.hasVendorIdentifier();
}

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> bytes) { return bytes; }

// Without an event loop (the command line) QSerialPort warns that it cannot
// watch the port; it does not need to, since every read here waits for its
// bytes itself. That one warning is dropped, everything else passes on. The
// filter goes away with the last link, before the module can be unloaded.
QtMessageHandler g_previousHandler = nullptr;
int g_filterUsers = 0;

void DropNotifierWarning(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QSocketNotifier: Can only be used with threads started with QThread")))
        return;
    if (g_previousHandler) g_previousHandler(type, context, message);
    else qt_message_output(type, context, message);
}

bool HasEventLoop() { return QCoreApplication::instance() && QAbstractEventDispatcher::instance(); }

}  // namespace

SerialLink::Settings SerialLink::SettingsFromEnvironment() {
    Settings settings;
    if (const char* port = std::getenv("LUMEX_PORT"); port && *port) settings.port = port;
    if (const char* baud = std::getenv("LUMEX_BAUD"); baud && *baud) {
        const long value = std::strtol(baud, nullptr, 10);
        if (value > 0 && value <= 4'000'000) settings.baud = static_cast<int>(value);
    }
    return settings;
}

int SerialLink::PortNumberOf(const std::string& portName) {
    if (LooksLikeUsbAdapter(portName)) return kUsbPort;
    auto digits = portName.end();
    while (digits != portName.begin() && std::isdigit(static_cast<unsigned char>(*(digits - 1)))) --digits;
    if (digits == portName.end()) return 0;
    const int number = std::atoi(&*digits);
    std::string base(portName.begin(), digits);
    const auto slash = base.find_last_of("/\\");
    if (slash != std::string::npos) base.erase(0, slash + 1);
    std::transform(base.begin(), base.end(), base.begin(), [](unsigned char c) { return std::toupper(c); });
    // COM ports count from 1; the program shows "COM" and the number + 1.
    return base == "COM" ? std::max(number - 1, 0) : number;
}

SerialLink::SerialLink(Settings settings) : m_settings(std::move(settings)) {
    if (!HasEventLoop()) {
        m_filtersWarnings = true;
        if (g_filterUsers++ == 0) g_previousHandler = qInstallMessageHandler(DropNotifierWarning);
    }
}

SerialLink::~SerialLink() {
    StopHeartbeat();
    ClosePort();
    if (m_filtersWarnings && --g_filterUsers == 0) qInstallMessageHandler(g_previousHandler);
}

void SerialLink::SetOptionA(int value) { m_extraWaitMs = std::clamp(value, 0, 5000); }
void SerialLink::SetOptionB(int value) { m_attempts = std::clamp(value, 1, 10); }
void SerialLink::SetScreen(LinkScreen* screen) { m_screen = screen; }

bool SerialLink::OpenPort() {
    // OpenPort comes before every Connect: start from a closed line.
    StopHeartbeat();
    m_connected = false;
    ClosePort();
    if (m_settings.port == "auto") return OpenFirstAnsweringPort();
    return OpenDevice(m_settings.port);
}

bool SerialLink::OpenDevice(const std::string& name) {
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(QString::fromStdString(name));
    port->setBaudRate(m_settings.baud);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite)) return false;
    // Some adapters power the line driver from DTR; a pseudo-terminal refuses
    // modem lines altogether, and the protocol needs none, so a refusal is fine.
    port->setDataTerminalReady(true);
    m_port = std::move(port);
    m_portName = name;
    m_decoder.Reset();
    return true;
}

bool SerialLink::OpenFirstAnsweringPort() {
    auto ports = QSerialPortInfo::availablePorts();
    std::stable_sort(ports.begin(), ports.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
        return a.hasVendorIdentifier() && !b.hasVendorIdentifier();
    });
    for (const QSerialPortInfo& info : ports) {
        if (!OpenDevice(info.systemLocation().toStdString())) continue;
        if (Request(Command::Ident, {})) return true;
        ClosePort();
    }
    return false;
}

void SerialLink::ClosePort() {
    if (m_port) m_port->close();
    m_port.reset();
    m_decoder.Reset();
}

int SerialLink::Connect() {
    if (!m_port) return 0;
    if (!Request(Command::Connect, {})) return 0;
    m_connected = true;
    StartHeartbeat();
    Notify(true);
    return 1;
}

void SerialLink::Disconnect() {
    StopHeartbeat();
    // Cleared first so that a silent ECU here is not reported as a lost line:
    // the user asked for this.
    const bool wasConnected = m_connected;
    m_connected = false;
    if (wasConnected && m_port) Request(Command::Disconnect, {});
    ClosePort();
}

int SerialLink::IsConnected() { return m_connected ? 1 : 0; }

int SerialLink::GetPort() {
    const std::string& name = m_portName.empty() ? m_settings.port : m_portName;
    return name == "auto" ? 0 : PortNumberOf(name);
}

bool SerialLink::ReadIdent(std::uint8_t* ident) {
    if (!ident) return false;
    const auto data = Request(Command::Ident, {});
    if (!data || data->size() != 4) return false;
    std::copy(data->begin(), data->end(), ident);
    return true;
}

bool SerialLink::ReadParam(std::uint32_t code, std::int32_t* words) {
    if (!words) return false;
    const bool multi = CodeIsMulti(code);
    const auto data = Request(Command::ReadParam, Bytes({static_cast<std::uint8_t>(CodeEcuNumber(code)),
                                                         static_cast<std::uint8_t>(multi ? 1 : 0)}));
    if (!data || data->empty()) return false;
    const std::size_t count = (*data)[0];
    if (data->size() != 1 + 4 * count) return false;
    // Never write past what the caller's code promised room for.
    const std::size_t room = multi ? std::max<std::size_t>(CodeElementCount(code), 1) : 1;
    for (std::size_t i = 0; i < std::min(count, room); ++i) words[i] = wire::GetWord(*data, 1 + 4 * i);
    return count > 0;
}

bool SerialLink::WriteParam(std::uint32_t code, std::int32_t value) {
    std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(CodeEcuNumber(code))};
    wire::PutWord(payload, value);
    return Request(Command::WriteParam, std::move(payload)).has_value();
}

bool SerialLink::WriteParamItem(std::uint32_t code, int element, std::int32_t value) {
    if (element < 0 || element > 255) return false;
    std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(CodeEcuNumber(code)),
                                      static_cast<std::uint8_t>(element)};
    wire::PutWord(payload, value);
    return Request(Command::WriteItem, std::move(payload)).has_value();
}

bool SerialLink::ReadLive(int page, std::uint8_t* buffer, int& length) {
    if (!buffer || length <= 0 || page < 0 || page > 255) return false;
    const auto data = Request(Command::ReadLive, Bytes({static_cast<std::uint8_t>(page)}));
    if (!data || data->empty()) return false;
    const std::size_t count = (*data)[0];
    if (data->size() != 1 + count) return false;
    const std::size_t copied = std::min(count, static_cast<std::size_t>(length));
    std::copy_n(data->begin() + 1, copied, buffer);
    length = static_cast<int>(copied);
    return true;
}

void SerialLink::TestGauge(int value, int second) {
    std::vector<std::uint8_t> payload;
    wire::PutWord(payload, value);
    wire::PutWord(payload, second);
    Request(Command::TestGauge, std::move(payload));
}

std::optional<std::vector<std::uint8_t>> SerialLink::Request(Command command, std::vector<std::uint8_t> payload) {
    const auto answer = Exchange(command, payload);
    if (!answer || answer->payload.empty()) return std::nullopt;
    if (answer->payload[0] != static_cast<std::uint8_t>(wire::Status::Ok)) return std::nullopt;
    return std::vector<std::uint8_t>(answer->payload.begin() + 1, answer->payload.end());
}

std::optional<wire::Frame> SerialLink::Exchange(Command command, const std::vector<std::uint8_t>& payload) {
    // m_busy guards against a message handler calling back in while a
    // request is on the line.
    if (!m_port || m_busy) return std::nullopt;
    m_busy = true;
    std::optional<wire::Frame> answer;
    for (int attempt = 0; attempt < m_attempts && !answer && m_port->isOpen(); ++attempt) {
        // A fresh sequence number per attempt: an answer to an earlier attempt
        // that turns up now is recognised as late and dropped.
        const std::uint8_t sequence = ++m_sequence;
        DiscardInput();
        if (!Send(wire::EncodeFrame({static_cast<std::uint8_t>(command), sequence, payload}))) break;
        answer = AwaitAnswer(wire::AnswerCommand(command), sequence, AnswerTimeoutMs());
    }
    m_busy = false;
    m_sinceLastRequest.start();
    if (!answer) LoseConnection();
    return answer;
}

std::optional<wire::Frame> SerialLink::AwaitAnswer(std::uint8_t command, std::uint8_t sequence, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (m_port->bytesAvailable() > 0) {
            const QByteArray bytes = m_port->readAll();
            m_bytesReceived += static_cast<std::uint64_t>(bytes.size());
            m_decoder.Push(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                     static_cast<std::size_t>(bytes.size())));
        }
        while (auto frame = m_decoder.Next()) {
            if (frame->command == command && frame->sequence == sequence) return frame;
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0) return std::nullopt;
        if (!m_port->waitForReadyRead(static_cast<int>(left)) &&
            (!m_port->isOpen() || m_port->error() == QSerialPort::ResourceError))
            return std::nullopt;
    }
}

bool SerialLink::Send(const std::vector<std::uint8_t>& bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    if (m_port->write(reinterpret_cast<const char*>(bytes.data()), size) != size) return false;
    m_bytesSent += bytes.size();
    // Without an event loop the bytes leave only while we wait for them.
    return m_port->waitForBytesWritten(AnswerTimeoutMs()) || m_port->bytesToWrite() == 0;
}

void SerialLink::DiscardInput() {
    // Whatever is still arriving belongs to an earlier request.
    m_bytesReceived += static_cast<std::uint64_t>(m_port->readAll().size());
    m_port->clear(QSerialPort::Input);
    m_decoder.Reset();
}

int SerialLink::AnswerTimeoutMs() const {
    const int wireMs = (kLongestExchangeBytes * 10 * 1000 + m_settings.baud - 1) / m_settings.baud;
    return kTurnaroundMs + wireMs + m_extraWaitMs;
}

void SerialLink::LoseConnection() {
    const bool wasConnected = m_connected;
    m_connected = false;
    StopHeartbeat();
    ClosePort();
    // Last, because the window may react by reopening or ending the program.
    if (wasConnected) Notify(false);
}

void SerialLink::Notify(bool connected) {
    if (m_screen) m_screen->SendToActiveWindow(WM_LINK_STATE, 0, connected ? 1 : 0);
}

void SerialLink::StartHeartbeat() {
    // Timers need an event loop on this thread; the command line has none and
    // notices a dead line on its next request instead.
    if (!HasEventLoop()) return;
    if (!m_heartbeat) {
        m_heartbeat = std::make_unique<QTimer>();
        m_heartbeat->setInterval(kHeartbeatTickMs);
        QObject::connect(m_heartbeat.get(), &QTimer::timeout, [this] { OnHeartbeat(); });
    }
    m_sinceLastRequest.start();
    m_heartbeat->start();
}

void SerialLink::StopHeartbeat() {
    if (m_heartbeat) m_heartbeat->stop();
}

void SerialLink::OnHeartbeat() {
    if (!m_connected || m_busy) return;
    if (m_sinceLastRequest.isValid() && m_sinceLastRequest.elapsed() < kHeartbeatIdleMs) return;
    Request(Command::Ping, {});
}

}  // namespace lumex

// lumex-ecusim: a virtual ECU on a serial line, so that the program and
// lumexctl can be run and tested against a "car" on one machine.
//
// Without --device it creates a pseudo-terminal and prints the device path
// the link should open (give it as LUMEX_PORT or --port).

#include "Catalogue.h"
#include "EcuServer.h"
#include "VirtualEcu.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

lumex::EcuServer* g_server = nullptr;

void OnSignal(int) {
    if (g_server) g_server->Stop();
}

struct Options {
    std::string device;
    int baud = 19200;
    lumex::SimFaults faults;
    std::vector<unsigned> refused;
    std::optional<lumex::EcuIdentBytes> ident;
};

const char* kUsage =
    "usage: lumex-ecusim [options]\n"
    "  --device PATH      serve on this serial device instead of a new pseudo-terminal\n"
    "  --baud N           line speed, default 19200 (bytes are paced at 10 bits each)\n"
    "  --seed N           seed for the fault choices and the engine model, default 1\n"
    "  --drop P           lose each answer with probability P (0.05 or 5%)\n"
    "  --corrupt P        flip one bit of each answer with probability P\n"
    "  --delay MS         send every answer MS milliseconds late\n"
    "  --unplug-after N   answer N requests, then go silent\n"
    "  --refuse PARAM     refuse writes to PARAM (ECU number or parameter name); repeatable\n"
    "  --ident F,M,O,V    identification bytes: family, model, options, firmware\n";

bool ParseProbability(const std::string& text, double& out) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str()) return false;
    if (*end == '%') {
        value /= 100.0;
        ++end;
    }
    if (*end != '\0' || value < 0.0 || value > 1.0) return false;
    out = value;
    return true;
}

bool ParseLong(const std::string& text, long& out) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || value < 0) return false;
    out = value;
    return true;
}

bool ParseParam(const std::string& text, unsigned& out) {
    long number = 0;
    if (ParseLong(text, number) && number <= 255) {
        out = static_cast<unsigned>(number);
        return true;
    }
    const lumex::ParamIndex index = lumex::IndexOfName(text);
    if (index < 0) return false;
    out = lumex::DescriptorOf(index) & 0xFFu;
    return true;
}

bool ParseIdent(const std::string& text, lumex::EcuIdentBytes& out) {
    unsigned values[4];
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u,%u,%u,%u%c", &values[0], &values[1], &values[2], &values[3], &tail) != 4)
        return false;
    for (unsigned v : values)
        if (v > 255) return false;
    out = {static_cast<std::uint8_t>(values[0]), static_cast<std::uint8_t>(values[1]),
           static_cast<std::uint8_t>(values[2]), static_cast<std::uint8_t>(values[3])};
    return true;
}

bool ParseInt(const std::string& text, int& out, long minimum) {
    long value = 0;
    if (!ParseLong(text, value) || value < minimum || value > 10'000'000) return false;
    out = static_cast<int>(value);
    return true;
}

// Applies one option and its value; false when the value is no good.
bool ApplyOption(const std::string& name, const std::string& value, Options& options, bool& known) {
    known = true;
    long number = 0;
    if (name == "--device") {
        options.device = value;
        return !value.empty();
    }
    if (name == "--baud") return ParseInt(value, options.baud, 1);
    if (name == "--delay") return ParseInt(value, options.faults.delayMs, 0);
    if (name == "--drop") return ParseProbability(value, options.faults.dropAnswer);
    if (name == "--corrupt") return ParseProbability(value, options.faults.corruptAnswer);
    if (name == "--unplug-after") return ParseLong(value, options.faults.unplugAfter);
    if (name == "--seed") {
        if (!ParseLong(value, number)) return false;
        options.faults.seed = static_cast<std::uint32_t>(number);
        return true;
    }
    if (name == "--refuse") {
        unsigned param = 0;
        if (!ParseParam(value, param)) return false;
        options.refused.push_back(param);
        return true;
    }
    if (name == "--ident") {
        lumex::EcuIdentBytes ident;
        if (!ParseIdent(value, ident)) return false;
        options.ident = ident;
        return true;
    }
    known = false;
    return false;
}

// Returns an error text, empty when all arguments were understood.
std::string ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") return "help";
        if (i + 1 >= argc) return "missing value after " + name;
        const std::string value = argv[++i];
        bool known = false;
        const bool ok = ApplyOption(name, value, options, known);
        if (!known) return "unknown option " + name;
        if (!ok) return "bad value for " + name + ": " + value;
    }
    return {};
}

bool MakeRaw(int fd, int baud) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return false;
    cfmakeraw(&settings);
    speed_t speed = B19200;
    switch (baud) {
    case 9600: speed = B9600; break;
    case 38400: speed = B38400; break;
    case 57600: speed = B57600; break;
    case 115200: speed = B115200; break;
    default: break;
    }
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string problem = ParseArguments(argc, argv, options);
    if (problem == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!problem.empty()) {
        std::fprintf(stderr, "lumex-ecusim: %s\n%s", problem.c_str(), kUsage);
        return 2;
    }

    int fd = -1;
    int slave = -1;
    if (options.device.empty()) {
        char path[256] = {};
        if (openpty(&fd, &slave, path, nullptr, nullptr) != 0) {
            std::perror("lumex-ecusim: openpty");
            return 1;
        }
        // Holding the far end open keeps the line alive between two clients.
        MakeRaw(slave, options.baud);
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
        std::printf("%s\n", path);
    } else {
        fd = open(options.device.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0 || !MakeRaw(fd, options.baud)) {
            std::fprintf(stderr, "lumex-ecusim: %s: %s\n", options.device.c_str(), std::strerror(errno));
            return 1;
        }
    }
    SetNonBlocking(fd);

    lumex::VirtualEcu ecu(options.faults.seed);
    if (options.ident) ecu.SetIdent(*options.ident);
    for (unsigned param : options.refused) ecu.RefuseParam(param);

    // A real device paces its own bytes; a pseudo-terminal does not.
    lumex::EcuServer server(ecu, fd, options.baud, options.faults, options.device.empty());
    g_server = &server;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    server.Run();
    g_server = nullptr;

    close(fd);
    if (slave >= 0) close(slave);
    return 0;
}

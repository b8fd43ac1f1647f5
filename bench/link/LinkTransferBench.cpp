// Times ConfCar::ReadAll and WriteAll through lumex-ecusim and compares them
// with the wire-time floor: the bytes actually exchanged, ten bits each, at
// the line speed. The goal is ReadAll within 1.3 x its wire time at 19200.
//
//   lumex_link_bench [rounds]      (default 5 rounds per figure)

#include "ConfCar.h"
#include "SerialLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

struct Figure {
    double seconds = 0;
    std::uint64_t bytes = 0;
};

// Starts the simulator at a line speed; the device path is its first line.
std::unique_ptr<QProcess> StartSimulator(int baud, std::string& path) {
    auto process = std::make_unique<QProcess>();
    process->start(LUMEX_ECUSIM, {"--baud", QString::number(baud)});
    if (!process->waitForStarted(5000)) return nullptr;
    while (!process->canReadLine() && process->waitForReadyRead(5000)) {
    }
    path = QString::fromUtf8(process->readLine()).trimmed().toStdString();
    return path.empty() ? nullptr : std::move(process);
}

Figure Measure(lumex::SerialLink& link, int rounds, const std::function<void()>& transfer) {
    link.ResetCounters();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rounds; ++i) transfer();
    Figure figure;
    figure.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9 / rounds;
    figure.bytes = (link.BytesSent() + link.BytesReceived()) / static_cast<std::uint64_t>(rounds);
    return figure;
}

void Report(const char* name, int baud, const Figure& figure) {
    const double wire = static_cast<double>(figure.bytes) * 10.0 / baud;
    std::printf("%-8s %7d baud  %5llu bytes  measured %7.1f ms  wire %7.1f ms  ratio %.2f\n", name, baud,
                static_cast<unsigned long long>(figure.bytes), figure.seconds * 1e3, wire * 1e3,
                figure.seconds / wire);
}

bool RunAt(int baud, int rounds) {
    std::string path;
    auto simulator = StartSimulator(baud, path);
    if (!simulator) {
        std::fprintf(stderr, "lumex_link_bench: cannot start %s\n", LUMEX_ECUSIM);
        return false;
    }
    lumex::SerialLink link({path, baud});
    if (!link.OpenPort() || !link.Connect()) {
        std::fprintf(stderr, "lumex_link_bench: no answer on %s\n", path.c_str());
        return false;
    }
    lumex::ConfCar car;
    car.AttachLink(&link);
    car.ReadAll();  // warm-up, and a record to write back
    Report("ReadAll", baud, Measure(link, rounds, [&] { car.ReadAll(); }));
    Report("WriteAll", baud, Measure(link, rounds, [&] { car.WriteAll(); }));
    const bool connected = link.IsConnected() != 0;
    link.Disconnect();
    simulator->terminate();
    simulator->waitForFinished(3000);
    return connected;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    bool ok = true;
    for (int baud : {19200, 115200}) ok = RunAt(baud, rounds) && ok;
    return ok ? 0 : 1;
}

#include "LinkFactory.h"

#include "VirtualEcu.h"

#include <chrono>

namespace lumex::cli {
namespace {

std::int64_t MillisecondsSinceStart()
{
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

void DestroyVirtualEcu(EcuLink* link)
{
    delete static_cast<VirtualEcu*>(link);
}

}  // namespace

std::string KnownPorts()
{
    return "sim (the built-in virtual ECU)";
}

LinkHandle OpenLink(const std::string& port, std::string& error)
{
    if (port == "sim") {
        // The engine model runs on the wall clock so that monitor shows an
        // engine that moves in real time.
        auto* ecu = new VirtualEcu(1, &MillisecondsSinceStart);
        return LinkHandle(ecu, LinkDeleter{DestroyVirtualEcu});
    }
    error = "unknown port \"" + port + "\" (known: " + KnownPorts() + ")";
    return LinkHandle(nullptr, LinkDeleter{});
}

}  // namespace lumex::cli

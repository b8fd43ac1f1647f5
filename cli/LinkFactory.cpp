#include "LinkFactory.h"

#include "LinkModule.h"
#include "VirtualEcu.h"

#include <chrono>
#include <cstdlib>

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

// The link module reads its port from LUMEX_PORT when it creates the link,
// exactly as it does for the program.
void SetPortForModule(const std::string& port)
{
#ifdef _WIN32
    _putenv_s("LUMEX_PORT", port.c_str());
#else
    setenv("LUMEX_PORT", port.c_str(), 1);
#endif
}

}  // namespace

std::string KnownPorts()
{
    return "sim (the built-in virtual ECU), auto (the first serial port with an ECU), "
           "or a serial device such as /dev/ttyUSB0 or the path lumex-ecusim prints";
}

LinkHandle OpenLink(const std::string& port, std::string& error)
{
    // Every port goes through the same link module as the program's.
    SetPortForModule(port);
    std::string loadError;
    std::shared_ptr<LinkModule> module = LinkModule::Load("", loadError);
    if (module) {
        // The module owns its link: releasing the module hands the link back.
        return LinkHandle(module->Link(), LinkDeleter{[module](EcuLink*) mutable { module.reset(); }});
    }
    if (port == "sim") {
        // Without the module (a build without Qt) the virtual ECU still
        // serves the demo port. Its engine runs on the wall clock so that
        // monitor shows an engine that moves in real time.
        auto* ecu = new VirtualEcu(1, &MillisecondsSinceStart);
        return LinkHandle(ecu, LinkDeleter{DestroyVirtualEcu});
    }
    error = "cannot load the link module: " + loadError;
    return LinkHandle(nullptr, LinkDeleter{});
}

}  // namespace lumex::cli

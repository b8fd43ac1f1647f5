// The module's two entry points. The port comes from LUMEX_PORT when the link
// is created: "sim" gives the in-process virtual ECU, anything else the
// serial link ("auto" or a device name).

#include "SerialLink.h"
#include "VirtualEcu.h"

#include <new>

#ifdef _WIN32
#define LUMEX_LINK_EXPORT extern "C" __declspec(dllexport)
#else
#define LUMEX_LINK_EXPORT extern "C" __attribute__((visibility("default")))
#endif

LUMEX_LINK_EXPORT lumex::EcuLink* _CreateClassInstance() {
    // Errors as results across the module boundary: no exception escapes.
    try {
        const auto settings = lumex::SerialLink::SettingsFromEnvironment();
        if (settings.port == "sim") return new lumex::VirtualEcu();
        return new lumex::SerialLink(settings);
    } catch (...) {
        return nullptr;
    }
}

LUMEX_LINK_EXPORT void _DestroyClassInstance(lumex::EcuLink* link) { delete link; }

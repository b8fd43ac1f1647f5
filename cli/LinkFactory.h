#pragma once
// The one place where lumexctl turns a port name into a link object. Every
// port command gets its link from OpenLink, so that ports served by a
// loadable link module can be added here without touching the commands.
// The handle's deleter knows how its link was made (a module hands its
// objects back to the module). Main thread only.

#include "EcuLink.h"

#include <functional>
#include <memory>
#include <string>

namespace lumex::cli {

// A function object rather than a plain pointer: a module-made link must
// also keep (and finally release) the module that made it.
struct LinkDeleter {
    std::function<void(EcuLink*)> destroy;
    void operator()(EcuLink* link) const
    {
        if (link != nullptr && destroy) destroy(link);
    }
};
using LinkHandle = std::unique_ptr<EcuLink, LinkDeleter>;

// Port names that OpenLink knows, for help texts.
std::string KnownPorts();

// A new, not yet opened link for the port; empty with error set when the
// port name is unknown.
LinkHandle OpenLink(const std::string& port, std::string& error);

}  // namespace lumex::cli

#pragma once
// ToolWindowFactory: how the main window creates the tool windows that live
// in other folders (live display, diagnostics, editors, file management)
// without depending on their headers. Each folder fills its entries from a
// static ToolWindowRegistrar in one of its .cpp files (the program links the
// whole app library, so such registrars always run); tests set entries
// directly. An empty entry means the window is not part of this build and the
// menu item does nothing.
//
// The main window passes values in and reads them back through dynamic
// properties: "Tag" (int) in both directions, "MemoryErased" (bool) from the
// vehicle window. Use SetTag/TagOf.
//
// User-interface thread only.

#include <QDialog>
#include <QVariant>

#include <functional>
#include <memory>

namespace lumex::app {

struct ToolWindowFactory {
    using Create = std::function<std::unique_ptr<QDialog>(QWidget* owner)>;

    Create visualizza;     // item 0: live parameter display
    Create confVettura;    // item 1: vehicle configuration (Tag 1 in)
    Create confOpt;        // item 2: optional configuration (Tag 256 + page in, page out)
    Create confSoftware;   // item 3: software configuration (Tag 256 + page in, page out)
    Create diagnosi;       // item 4: diagnostics
    Create indicatore;     // item 5: original fuel-gauge output
    Create gestioneFile;   // item 6: file management (Accepted: a file was loaded/saved)
};

ToolWindowFactory& ToolWindows();

// Fills the factory once at program load: `static ToolWindowRegistrar r{[](auto& f){ f.diagnosi = ...; }};`
struct ToolWindowRegistrar {
    explicit ToolWindowRegistrar(const std::function<void(ToolWindowFactory&)>& fill) {
        fill(ToolWindows());
    }
};

inline void SetTag(QObject* object, int tag) { object->setProperty("Tag", tag); }
inline int TagOf(const QObject* object) { return object->property("Tag").toInt(); }

}  // namespace lumex::app

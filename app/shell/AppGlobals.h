#pragma once
// The program's few global objects: the configuration record, the settings,
// the link, the dictionary module and the two start-up flags. Start-up fills
// them once; every window reads them through App().
//
// User-interface thread only. Tests install their own set with
// ScopedAppContext so that no test sees another's record, link or flags.

#include <QString>

namespace lumex {
class ConfCar;
class EcuLink;
}

namespace lumex::app {

class GlobalData;
class QtLinkScreen;
class TModuloLingua;

// The application title: captions of most message boxes.
inline const QString kApplicationTitle = QStringLiteral("Morbel Lu.m.ex");

struct AppContext {
    lumex::ConfCar* record = nullptr;
    GlobalData* settings = nullptr;
    lumex::EcuLink* link = nullptr;
    TModuloLingua* dictionary = nullptr;   // owned by the main window
    QtLinkScreen* screen = nullptr;        // delivers the link's messages
    bool demoMode = false;                 // "/demo": no link operation at start
    bool startAborted = false;             // the start-up connection failed
    bool terminationRequested = false;     // the program should end
    // Caption of the program's own message boxes; the program file's name
    // until start-up switches it to kApplicationTitle.
    QString applicationTitle = kApplicationTitle;
};

AppContext& App();

// Makes a fresh context current while it lives, then restores the previous.
class ScopedAppContext {
public:
    ScopedAppContext();
    ~ScopedAppContext();
    ScopedAppContext(const ScopedAppContext&) = delete;
    ScopedAppContext& operator=(const ScopedAppContext&) = delete;

    AppContext& context() { return m_context; }

private:
    AppContext m_context;
    AppContext* m_previous = nullptr;
};

}  // namespace lumex::app

#pragma once
// What both live benchmarks share: the application context of a running
// program (record read from a virtual ECU, dictionary when one is found),
// with message boxes recorded instead of shown. User-interface thread only.

#include "AppGlobals.h"
#include "ConfCar.h"
#include "Seams.h"
#include "TModuloLingua.h"
#include "VirtualEcu.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdint>
#include <functional>

namespace lumex::bench {

class LiveBenchSetup {
public:
    // clock: empty for real time.
    explicit LiveBenchSetup(VirtualEcu::Clock clock = {}) : ecu(3, std::move(clock))
    {
        ecu.OpenPort();
        ecu.Connect();
        record.AttachLink(&ecu);
        record.ReadAll();
        app::AppContext& context = m_context.context();
        context.record = &record;
        context.link = &ecu;
        // The dictionary the build writes beside the programs.
        const QString folder = QCoreApplication::applicationDirPath();
        if (QFileInfo::exists(folder + QStringLiteral("/DizionarioMrb.dbf")) &&
            dictionary.OpenDictionary(folder, QStringLiteral("DizionarioMrb.dbf"))) {
            dictionary.CurrentLanguage = QStringLiteral("ITALIANO");
            context.dictionary = &dictionary;
        }
    }

    VirtualEcu ecu;
    ConfCar record;
    app::TModuloLingua dictionary;

private:
    app::ScopedSeams m_seams;
    app::ScopedAppContext m_context;
};

}  // namespace lumex::bench

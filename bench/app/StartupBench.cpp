// Measures the start-up from the creation of the main window (command line,
// splash answered at once, dictionary, language, connection, identification
// and the whole read on the virtual ECU) until the window is shown and the
// start-up wait window has closed. Prints the median and worst of N runs in
// milliseconds for demo mode and for the virtual ECU.
//
//   lumex_startup_bench [runs]     (offscreen unless QT_QPA_PLATFORM is set)

#include "AppGlobals.h"
#include "ConfCar.h"
#include "GlobalData.h"
#include "QtLinkScreen.h"
#include "Seams.h"
#include "TFormMain.h"
#include "VirtualEcu.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace lumex::app;

namespace {

double StartOnce(const QStringList& arguments, const QString& settingsFolder) {
    ScopedAppContext context;
    ScopedSeams seams;
    lumex::VirtualEcu ecu;
    lumex::ConfCar record("default.mrb");
    QtLinkScreen screen;
    bool proceed = true;
    GlobalData settings(std::make_unique<QSettings>(settingsFolder + "/settings.ini",
                                                    QSettings::IniFormat),
                        settingsFolder, settingsFolder, proceed);
    App().record = &record;
    App().settings = &settings;
    App().link = &ecu;
    App().screen = &screen;
    record.AttachLink(&ecu);
    record.AttachScreen(&screen);
    ecu.SetScreen(&screen);

    StartupOptions options;
    options.arguments = arguments;
    options.programFolder = QStringLiteral(LUMEX_BIN_DIR);

    QElapsedTimer clock;
    clock.start();
    TFormMain form(options);
    if (App().startAborted || App().terminationRequested) {
        std::fprintf(stderr, "start-up failed\n");
        return -1;
    }
    form.show();
    (void)QTest::qWaitForWindowExposed(&form);
    if (!QTest::qWaitFor([&form] { return form.StartupWaitWindow() == nullptr; }, 5000))
        std::fprintf(stderr, "the start-up wait window stayed open\n");
    const double ms = clock.nsecsElapsed() / 1e6;
    ecu.SetScreen(nullptr);
    return ms;
}

void Report(const char* name, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-12s median %7.1f ms   worst %7.1f ms   (%zu runs)\n", name,
                times[times.size() / 2], times.back(), times.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    QTemporaryDir folder;
    {
        QSettings store(folder.path() + "/settings.ini", QSettings::IniFormat);
        store.setValue("MainPath", folder.path());
        store.setValue("Language", 0);
        store.setValue("Stat1", 0);
    }
    struct Mode {
        const char* name;
        QStringList arguments;
    };
    for (const Mode& mode : {Mode{"demo", {"/demo"}}, Mode{"virtual ECU", {}}}) {
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            const double ms = StartOnce(mode.arguments, folder.path());
            if (ms < 0)
                return 1;
            times.push_back(ms);
        }
        Report(mode.name, times);
    }
    return 0;
}

// Opens the live display on the virtual ECU (real time) and closes it after
// the given number of seconds (default 12): the subject of cpu-share.sh and
// of the screenshot. Usage: lumex_live_window [seconds]
#include "LiveBenchSetup.h"
#include "TFormVisualizza.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 12;
    lumex::bench::LiveBenchSetup setup;
    lumex::app::TFormVisualizza window;
    QTimer::singleShot(seconds * 1000, &window, &QDialog::accept);
    return window.exec() == QDialog::Accepted ? 0 : 1;
}

#include "Startup.h"

#include <QApplication>

namespace lumex::app {

int RunProgram(QApplication&) { return 0; }

}  // namespace lumex::app

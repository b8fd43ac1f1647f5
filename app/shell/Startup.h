#pragma once
// RunProgram: the program from start to end: single instance, settings, the
// link module, the main window and its loop, then the exit steps. Returns the
// process exit code (0 in every regular case). Called once by main() on the
// user-interface thread.

class QApplication;

namespace lumex::app {

int RunProgram(QApplication& application);

}  // namespace lumex::app

#include "Startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return lumex::app::RunProgram(application);
}

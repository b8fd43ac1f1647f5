#include "Startup.h"

#include "AppGlobals.h"
#include "ConfCar.h"
#include "GlobalData.h"
#include "LinkModule.h"
#include "QtLinkScreen.h"
#include "Seams.h"
#include "SingleInstance.h"
#include "TFormMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>

#include <exception>
#include <memory>

namespace lumex::app {

namespace {

QString ProgramBaseName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void ShowMaximized(QWidget& window) {
    // Without a window manager "maximised" is only a wish: take the screen's
    // free area explicitly as well.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
}

// Runs the main window; false when start-up ended it before the loop.
void RunMainWindow(QApplication& application, SingleInstance& instance) {
    TFormMain form(StartupOptions::FromApplication());
    if (App().startAborted || App().terminationRequested)
        return;
    instance.onRaise = [&form] { RaiseProgramWindow(&form); };
    ShowMaximized(form);
    application.exec();
    instance.onRaise = {};
}

int RunWithSettings(QApplication& application, SingleInstance& instance,
                    lumex::ConfCar& record) {
    std::string error;
    std::unique_ptr<lumex::LinkModule> module =
        lumex::LinkModule::Load(QCoreApplication::applicationDirPath().toStdString(), error);
    if (!module) {
        ShowMessage(nullptr, QString::fromLocal8Bit(error.c_str()), ProgramBaseName(),
                    QMessageBox::Critical);
        return 0;
    }
    lumex::EcuLink* link = module->Link();
    QtLinkScreen screen;
    App().screen = &screen;
    link->SetOptionA(0);
    link->SetOptionB(4);
    link->SetScreen(&screen);
    record.AttachLink(link);
    record.AttachScreen(&screen);
    App().link = link;

    App().applicationTitle = kApplicationTitle;
    RunMainWindow(application, instance);

    // The screen object ends with this function; nothing may send to it.
    link->SetScreen(nullptr);
    record.AttachLink(nullptr);
    record.AttachScreen(nullptr);
    App().link = nullptr;
    App().screen = nullptr;
    return 0;
}

}  // namespace

int RunProgram(QApplication& application) {
    App().applicationTitle = ProgramBaseName();
    SingleInstance instance;
    if (!instance.TryBecomePrimary()) {
        App().applicationTitle = QStringLiteral("Starting...");
        instance.NotifyPrimary();
        return 0;
    }
    try {
        QCoreApplication::setOrganizationName(QStringLiteral("KTV srl"));
        QCoreApplication::setApplicationName(QStringLiteral("Lumex"));
        auto record = std::make_unique<lumex::ConfCar>("default.mrb");
        App().record = record.get();
        bool proceed = true;
        auto settings = std::make_unique<GlobalData>(
            QDir::currentPath(), QCoreApplication::applicationDirPath(), proceed);
        App().settings = settings.get();
        if (proceed)
            RunWithSettings(application, instance, *record);
        // Exit steps: the record goes first, then the settings are written.
        App().record = nullptr;
        record.reset();
        App().settings = nullptr;
        settings.reset();
    } catch (const std::exception& failure) {
        ShowMessage(nullptr, QString::fromLocal8Bit(failure.what()), App().applicationTitle,
                    QMessageBox::Critical);
    }
    return 0;
}

}  // namespace lumex::app

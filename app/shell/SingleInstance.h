#pragma once
// SingleInstance: keeps a second copy of the program from running. The first
// copy takes a lock file and listens on a local socket named after the
// program's mutex name and the user; a later copy finds the lock taken,
// tells the first one to come to the front ("raise") and ends.
//
// GUI thread only (the server's notifications arrive through the event loop).

#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QWidget;

namespace lumex::app {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // name: the instance name; empty uses the program's own.
    explicit SingleInstance(const QString& name = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy; it then listens for later copies.
    bool TryBecomePrimary();
    // Asks the first copy to come to the front; false when none answered.
    bool NotifyPrimary(int timeoutMs = 2000);

    // Called in the first copy each time a later copy starts.
    std::function<void()> onRaise;

    static QString DefaultName();

private:
    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};

// Brings window to the front: restored when minimised, then its last open
// popup (a modal tool window, a message box) above it.
void RaiseProgramWindow(QWidget* window);

}  // namespace lumex::app

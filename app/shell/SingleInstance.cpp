#include "SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QWidget>

namespace lumex::app {

namespace {
const QByteArray kRaise = QByteArrayLiteral("raise");

QString UserName() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    return user.isEmpty() ? QStringLiteral("user") : user;
}
}  // namespace

QString SingleInstance::DefaultName() { return QStringLiteral("OFCHiwwfYfbh-") + UserName(); }

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name.isEmpty() ? DefaultName() : name) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::TryBecomePrimary() {
    const QString lockPath = QDir(QDir::tempPath()).filePath(m_name + QStringLiteral(".lock"));
    m_lock = std::make_unique<QLockFile>(lockPath);
    m_lock->setStaleLockTime(0);   // only a crashed owner's lock is stale
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    // A server left behind by a crashed first copy would block listen().
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kRaise) && onRaise)
                    onRaise();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    m_server->listen(m_name);
    return true;
}

bool SingleInstance::NotifyPrimary(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRaise);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

void RaiseProgramWindow(QWidget* window) {
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
    if (QWidget* popup = QApplication::activeModalWidget(); popup && popup != window) {
        popup->raise();
        popup->activateWindow();
    }
}

}  // namespace lumex::app

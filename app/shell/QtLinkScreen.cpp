#include "QtLinkScreen.h"

#include "LinkEvent.h"

#include <QApplication>
#include <QCoreApplication>
#include <QThread>

namespace lumex::app {

namespace {
// Carries a message from another thread to the screen object, which then
// picks the target on the user-interface thread.
class RelayEvent : public QEvent {
public:
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    RelayEvent(unsigned message, std::intptr_t wParam, std::intptr_t lParam)
        : QEvent(Type()), message(message), wParam(wParam), lParam(lParam) {}
    unsigned message;
    std::intptr_t wParam;
    std::intptr_t lParam;
};
}  // namespace

QtLinkScreen::QtLinkScreen(QObject* parent) : QObject(parent) {}

QWidget* QtLinkScreen::Target() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return m_fallback.data();
}

void QtLinkScreen::SendToActiveWindow(unsigned message, std::intptr_t wParam,
                                      std::intptr_t lParam) {
    if (LinkEvent::TypeFor(message) == QEvent::None)
        return;
    if (QThread::currentThread() == thread()) {
        Deliver(message, wParam, lParam);
        return;
    }
    QCoreApplication::postEvent(this, new RelayEvent(message, wParam, lParam));
}

void QtLinkScreen::Deliver(unsigned message, std::intptr_t wParam, std::intptr_t lParam) {
    QWidget* target = Target();
    if (!target)
        return;
    LinkEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
}

bool QtLinkScreen::event(QEvent* event) {
    if (event->type() == RelayEvent::Type()) {
        auto* relay = static_cast<RelayEvent*>(event);
        Deliver(relay->message, relay->wParam, relay->lParam);
        return true;
    }
    return QObject::event(event);
}

}  // namespace lumex::app

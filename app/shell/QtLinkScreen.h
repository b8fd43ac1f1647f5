#pragma once
// QtLinkScreen: the screen object given to the link (SetScreen) and to the
// record (AttachScreen). It turns a link message into a LinkEvent for the
// window the user is working in: the active modal dialog, else the active
// window, else the fallback window (the main window).
//
// SendToActiveWindow may be called from any thread. On the user-interface
// thread the event is delivered at once (sendEvent), so a progress window
// repaints while a long read runs on that same thread; from another thread
// it is posted and delivered by the event loop.

#include "EcuLink.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace lumex::app {

class QtLinkScreen : public QObject, public lumex::LinkScreen {
    Q_OBJECT
public:
    explicit QtLinkScreen(QObject* parent = nullptr);

    void SendToActiveWindow(unsigned message, std::intptr_t wParam,
                            std::intptr_t lParam) override;

    // The window that gets the message when no window is active.
    void SetFallbackWindow(QWidget* window) { m_fallback = window; }
    // The window a message would reach right now.
    QWidget* Target() const;

protected:
    bool event(QEvent* event) override;

private:
    void Deliver(unsigned message, std::intptr_t wParam, std::intptr_t lParam);

    QPointer<QWidget> m_fallback;
};

}  // namespace lumex::app

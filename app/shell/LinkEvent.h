#pragma once
// LinkEvent: a message of the link (WM_LINK_STATE, WM_LINK_PROGRESS) as a Qt
// event. Each message number has its own registered event type, so a window
// handles them in event() by comparing the type:
//
//   if (event->type() == LinkEvent::StateType()) { auto* e = static_cast<LinkEvent*>(event); ... }
//
// Created on any thread; delivered and handled on the user-interface thread.

#include <QEvent>

#include <cstdint>

namespace lumex::app {

class LinkEvent : public QEvent {
public:
    LinkEvent(unsigned message, std::intptr_t wParam, std::intptr_t lParam);

    unsigned message() const { return m_message; }
    std::intptr_t wParam() const { return m_wParam; }
    std::intptr_t lParam() const { return m_lParam; }

    // The event type of a link message; QEvent::None for unknown numbers.
    static QEvent::Type TypeFor(unsigned message);
    static QEvent::Type StateType();      // WM_LINK_STATE
    static QEvent::Type ProgressType();   // WM_LINK_PROGRESS

private:
    unsigned m_message;
    std::intptr_t m_wParam;
    std::intptr_t m_lParam;
};

}  // namespace lumex::app

#include "LinkEvent.h"

#include "EcuLink.h"

namespace lumex::app {

QEvent::Type LinkEvent::StateType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QEvent::Type LinkEvent::ProgressType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QEvent::Type LinkEvent::TypeFor(unsigned message) {
    if (message == lumex::WM_LINK_STATE)
        return StateType();
    if (message == lumex::WM_LINK_PROGRESS)
        return ProgressType();
    return QEvent::None;
}

LinkEvent::LinkEvent(unsigned message, std::intptr_t wParam, std::intptr_t lParam)
    : QEvent(TypeFor(message)), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

}  // namespace lumex::app

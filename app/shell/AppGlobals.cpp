#include "AppGlobals.h"

namespace lumex::app {

namespace {
AppContext g_programContext;
AppContext* g_current = &g_programContext;
}

AppContext& App() { return *g_current; }

ScopedAppContext::ScopedAppContext() : m_previous(g_current) { g_current = &m_context; }
ScopedAppContext::~ScopedAppContext() { g_current = m_previous; }

}  // namespace lumex::app

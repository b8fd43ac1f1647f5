#include "ToolWindowFactory.h"

namespace lumex::app {

ToolWindowFactory& ToolWindows() {
    static ToolWindowFactory factory;
    return factory;
}

}  // namespace lumex::app

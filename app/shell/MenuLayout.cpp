#include "MenuLayout.h"

#include <algorithm>

namespace lumex::app::menu {

int RowStep(int clientHeight) { return std::max(0, clientHeight / (kMenuCount + 2)); }

int ExitItemTop(int fileTop, int rowStep, int screenWidth) {
    const double gap = double(screenWidth) * (double(rowStep) * 1.5) * 0.00125;
    return fileTop + int(gap);
}

VerticalLayout LayOutRows(int rowStep, const Visibility& visible, const Tops& previous,
                          int screenWidth) {
    VerticalLayout layout;
    layout.titleTop = rowStep;
    layout.tops = previous;
    int row = 0;
    for (int item = 0; item < kExitItem; ++item) {
        if (!visible[item])
            continue;
        layout.tops[item] = 2 * rowStep + row * rowStep;
        ++row;
    }
    layout.tops[kExitItem] = ExitItemTop(layout.tops[kFileItem], rowStep, screenWidth);
    return layout;
}

HorizontalLayout LayOutColumns(int windowWidth, int titleWidth, int widestItem) {
    HorizontalLayout layout;
    layout.titleLeft = (windowWidth - titleWidth) / 2;
    layout.itemsLeft = (windowWidth - widestItem) / 2;
    layout.arrowLeft = layout.itemsLeft - 50;
    return layout;
}

int NextItem(int current, const Visibility& visible) {
    int item = current + 1;
    while (item < kMenuCount && !visible[item])
        ++item;
    return item >= kMenuCount ? 0 : item;
}

int PreviousItem(int current, const Visibility& visible) {
    int item = current == 0 ? kMenuCount : current;
    do {
        --item;
    } while (item > 0 && !visible[item]);
    return item;
}

}  // namespace lumex::app::menu

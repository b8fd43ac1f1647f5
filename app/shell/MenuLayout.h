#pragma once
// The arithmetic of the main window's menu: row step, the vertical stacking
// of the eight items (hidden ones take no row), the exit item's gap, the
// horizontal centring, and the arrow-key navigation over visible items.
// Plain functions so the figures can be checked without a window. Pure, safe
// from any thread.

#include <array>

namespace lumex::app::menu {

inline constexpr int kMenuCount = 8;
inline constexpr int kFileItem = 6;
inline constexpr int kExitItem = 7;
using Visibility = std::array<bool, kMenuCount>;
using Tops = std::array<int, kMenuCount>;

// Client height / (item count + 2), never below 0.
int RowStep(int clientHeight);
// The exit item sits one and a half rows below the file item, scaled by
// screen width / 800 and truncated toward zero.
int ExitItemTop(int fileTop, int rowStep, int screenWidth);

struct VerticalLayout {
    int titleTop = 0;
    Tops tops{};   // hidden items keep the top they had
};
VerticalLayout LayOutRows(int rowStep, const Visibility& visible, const Tops& previous,
                          int screenWidth);

struct HorizontalLayout {
    int titleLeft = 0;
    int itemsLeft = 0;
    int arrowLeft = 0;
};
// widestItem counts hidden items too; the arrow sits 50 pixels left of them.
HorizontalLayout LayOutColumns(int windowWidth, int titleWidth, int widestItem);

// The item Down (Next) or Up (Previous) moves to from current, skipping
// hidden items and wrapping at either end. Item 0 is never hidden.
int NextItem(int current, const Visibility& visible);
int PreviousItem(int current, const Visibility& visible);

}  // namespace lumex::app::menu

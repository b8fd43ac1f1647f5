#pragma once
// The look the windows were drawn for, on systems that lack its fonts: the
// serif menu face and the small sans-serif dialog face, with the closest
// fonts Linux has as fallbacks, and the whole-window rescaling by screen
// width / 800 that keeps the design proportions on larger screens.
// User-interface thread only.

#include <QFont>

class QWidget;

namespace lumex::app {

enum class Face {
    MenuSerif,   // "Bookman Old Style", else URW Bookman, else any serif
    DialogSans,  // "MS Sans Serif", else a plain sans serif
};

QFont LegacyFont(Face face, int pixelSize, bool bold = false, bool italic = false);

// Scales the position, size and font of every widget below root by factor;
// root itself keeps its geometry. Labels marked with the property
// "AutoSize" = true are then fitted to their scaled text.
void ScaleChildren(QWidget* root, double factor);

// Registers the program's compiled-in pictures (once; harmless to repeat).
void EnsureResources();

// Width of the primary screen in pixels (800 when there is none).
int PrimaryScreenWidth();

}  // namespace lumex::app

#pragma once
// ArrowLabel: the menu's selection arrow, a hollow arrow pointing right drawn
// in the label's text colour with a bold outline, the size of a glyph of the
// label's font. Drawn rather than taken from a symbol font, which most
// systems lack. Behaves as a QLabel for positioning. GUI thread only.

#include <QLabel>

namespace lumex::app {

class ArrowLabel : public QLabel {
    Q_OBJECT
public:
    explicit ArrowLabel(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lumex::app

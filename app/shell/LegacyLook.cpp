#include "LegacyLook.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <cmath>

#if LUMEX_HAVE_RESOURCES
// Resources of a static library register only when asked to.
static void InitLumexResources() { Q_INIT_RESOURCE(lumex); }
#else
static void InitLumexResources() {}
#endif

namespace lumex::app {

void EnsureResources() {
    static const bool registered = (InitLumexResources(), true);
    (void)registered;
}

QFont LegacyFont(Face face, int pixelSize, bool bold, bool italic) {
    QFont font;
    if (face == Face::MenuSerif) {
        font.setFamilies({QStringLiteral("Bookman Old Style"), QStringLiteral("URW Bookman"),
                          QStringLiteral("URW Bookman L"), QStringLiteral("serif")});
        font.setStyleHint(QFont::Serif);
    } else {
        font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
        font.setStyleHint(QFont::SansSerif);
    }
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

namespace {
int Scaled(int value, double factor) { return int(std::lround(value * factor)); }
}

void ScaleChildren(QWidget* root, double factor) {
    const auto children = root->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->isWindow())
            continue;  // owned dialogs scale themselves when they are shown
        const QRect g = child->geometry();
        child->setGeometry(Scaled(g.x(), factor), Scaled(g.y(), factor),
                           Scaled(g.width(), factor), Scaled(g.height(), factor));
        if (child->testAttribute(Qt::WA_SetFont)) {
            QFont font = child->font();
            if (font.pixelSize() > 0)
                font.setPixelSize(std::max(1, Scaled(font.pixelSize(), factor)));
            else
                font.setPointSizeF(font.pointSizeF() * factor);
            child->setFont(font);
        }
    }
    for (QWidget* child : children) {
        if (auto* label = qobject_cast<QLabel*>(child); label && label->property("AutoSize").toBool())
            label->adjustSize();
    }
}

int PrimaryScreenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 800;
}

}  // namespace lumex::app

// Rescaling a window's content for screens wider than 800 pixels.

#include "LegacyLook.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>

namespace lumex::app::test {
namespace {

TEST(ScaleChildren, PositionsSizesAndFontsScaleByOneFactorAndTheRootStays) {
    QWidget root;
    root.setGeometry(0, 0, 804, 585);
    auto* panel = new QWidget(&root);
    panel->setGeometry(10, 20, 100, 50);
    auto* label = new QLabel(QStringLiteral("Diagnosi"), panel);
    label->setFont(LegacyFont(Face::MenuSerif, 27, true, true));
    label->setGeometry(5, 5, 60, 30);
    auto* plain = new QLabel(QStringLiteral("x"), &root);   // inherits its font
    plain->setGeometry(100, 100, 10, 10);
    const int inheritedSize = plain->font().pixelSize();

    ScaleChildren(&root, 1.28);   // a 1024-pixel screen
    EXPECT_EQ(root.geometry(), QRect(0, 0, 804, 585));
    EXPECT_EQ(panel->geometry(), QRect(13, 26, 128, 64));
    EXPECT_EQ(label->geometry(), QRect(6, 6, 77, 38));
    EXPECT_EQ(label->font().pixelSize(), 35);
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(plain->font().pixelSize(), inheritedSize);   // not scaled twice

    label->setProperty("AutoSize", true);
    ScaleChildren(&root, 1.0);
    EXPECT_EQ(label->size(), label->sizeHint());   // fitted to its text
}

TEST(LegacyFont, FallsBackToFacesThisSystemHas) {
    const QFont menu = LegacyFont(Face::MenuSerif, 27, true, true);
    EXPECT_EQ(menu.families().value(0), "Bookman Old Style");
    EXPECT_TRUE(menu.families().contains("URW Bookman"));
    EXPECT_EQ(menu.pixelSize(), 27);
    EXPECT_TRUE(menu.italic());
    const QFont dialog = LegacyFont(Face::DialogSans, 11);
    EXPECT_EQ(dialog.families().value(0), "MS Sans Serif");
    EXPECT_FALSE(dialog.bold());
}

}  // namespace
}  // namespace lumex::app::test

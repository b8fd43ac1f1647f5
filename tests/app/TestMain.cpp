#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
    // Test discovery runs this binary at build time, without CTest's
    // environment: without a display QApplication would abort.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KTV srl"));
    QCoreApplication::setApplicationName(QStringLiteral("LumexTests"));
    // Keeps the user's data and settings folders out of reach.
    QStandardPaths::setTestModeEnabled(true);
    return RUN_ALL_TESTS();
}

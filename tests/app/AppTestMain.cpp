// The Qt application every test of the shell runs in (offscreen platform).
#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("QuenlixTest"));
    QApplication::setApplicationName(QStringLiteral("Products/Telnet"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

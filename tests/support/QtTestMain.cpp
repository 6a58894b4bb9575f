// The Qt application every Qt test program runs in (offscreen platform
// unless another is asked for). It lives on main's stack: a static one would
// be torn down after the toolkit's own statics and crash at exit.
#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("QuenlixTest"));
    QApplication::setApplicationName(QStringLiteral("quenlix-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

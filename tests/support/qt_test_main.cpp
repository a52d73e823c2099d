// main for widget tests: a QApplication on the offscreen platform unless a platform is given
// (gtest_discover_tests may run the binary without the test's environment).
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/fonts.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    RegisterFontSubstitutions();
    return RUN_ALL_TESTS();
}

// main of every test program: a real QApplication on the offscreen platform
// (unless a display is asked for), so widgets are real and discovery works
// without a display.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

#include "platform/AnsiText.h"
#include "support/OdbcTestEnv.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    vcl::InitAnsiCodePageFromLocale();
    setenv("FONTCONFIG_FILE", VANTIRO_BINARY_DIR "/fonts.conf", 0);
    testenv::PrepareDataSources();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

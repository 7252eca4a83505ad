// Window tests run inside the real application object, offscreen, so errors reach the same
// error box handler the program uses.
#include <gtest/gtest.h>

#include "app/Language.h"
#include "app/PellumApplication.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    pellum::PellumApplication app(argc, argv);
    pellum::useUiLanguages({"ja"});  // the window's texts are checked in Japanese
    return RUN_ALL_TESTS();
}

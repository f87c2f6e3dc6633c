// Window tests run the real application object on Qt's offscreen platform, so
// that errors escaping a command reach the application-wide error box.
#include <gtest/gtest.h>

#include "app/error_box.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    lumigram::TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Window tests run the real application object on Qt's offscreen platform, so
// that errors escaping a command reach the application-wide error box. The
// settings and runtime folders are private to the run: the user's own are
// never read or written.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "app/error_box.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath("config").toUtf8());
    lumigram::TApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Lumigram");
    QCoreApplication::setApplicationName("lumigram-tests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The entry of every test program that needs Qt, linked instead of GoogleTest's own: Qt's
// offscreen platform unless the environment names another (a missing display would otherwise end
// the run), a private runtime folder for Qt (it warns without one), and one QApplication for all
// the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/TemporaryFolder.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Made with the owner's rights only, as Qt wants; it outlives the application object.
    const zemtra::testing::TemporaryFolder runtime("zemtra-qt-runtime");
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

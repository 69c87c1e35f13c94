#include <cstdlib>

#include <QApplication>
#include <QFont>

#include <gtest/gtest.h>

// Every view test runs headless with one pinned font, so measurements do not depend on the
// desktop the tests happen to run on.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    static_cast<void>(setenv("QT_QPA_PLATFORM", "offscreen", 0));
    QApplication application(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    return RUN_ALL_TESTS();
}

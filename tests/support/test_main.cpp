#include "db/ProcessLocale.h"

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

// Every test runs inside a widgets application (offscreen in CI) with the
// program's locale: a UTF-8 character type whatever the environment says,
// Russian numbers and dates.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ProcessLocale::apply();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "widgets/AppLifetime.h"

#include <QCoreApplication>

void QtAppLifetime::requestTerminate()
{
    m_requested = true;
    // Leaves every event loop of the thread, a modal one included.
    QCoreApplication::exit(0);
}

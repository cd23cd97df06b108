#pragma once
#include "db/ProcessLocale.h"
#include "widgets/AppLifetime.h"
#include "widgets/DialogService.h"
#include "app/WindowOwner.h"
#include "bench/BenchSupport.h"

#include <QApplication>
#include <QLocale>

namespace Bench {

// The Qt application a benchmark runs in, with the program's locale.
class Application : public QApplication {
public:
    Application(int& argc, char** argv) : QApplication(argc, argv)
    {
        ProcessLocale::apply();
    }
};

// The program's data module and windows against `database`, made as the
// program makes them at start-up; `started()` tells whether the connection
// opened (its message has been shown otherwise).
class Program {
public:
    explicit Program(DialogService& dialogs, const QString& database = Bench::database())
        : m_owner(AppContext{dialogs, m_lifetime, BuildStamp{0, 0}}),
          m_started(m_owner.start({database, QStringLiteral("localhost")}))
    {
    }
    bool started() const { return m_started; }
    WindowOwner& owner() { return m_owner; }

private:
    QtAppLifetime m_lifetime;
    WindowOwner m_owner;
    bool m_started;
};

} // namespace Bench

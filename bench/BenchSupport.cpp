#include "bench/BenchSupport.h"
#include "db/Command.h"
#include "db/ConnectionText.h"
#include "db/Dataset.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace Bench {

QString database()
{
    const QByteArray env = qgetenv("PW_BENCH_DB");
    return env.isEmpty() ? QStringLiteral("pw_bench") : QString::fromUtf8(env);
}

double medianMs(int runs, const std::function<void()>& body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        body();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double explainMs(Database& db, QString sql, const QHash<QString, QVariant>& params)
{
    for (auto it = params.begin(); it != params.end(); ++it) {
        QString literal;
        if (it.value().metaType().id() == QMetaType::QDate)
            literal = QStringLiteral("date '%1'").arg(it.value().toDate().toString(Qt::ISODate));
        else if (it.value().metaType().id() == QMetaType::QString)
            literal = QStringLiteral("'%1'").arg(it.value().toString());
        else
            literal = it.value().toString();
        sql.replace(QRegularExpression(QStringLiteral("(?<!:):%1\\b").arg(it.key()), QRegularExpression::CaseInsensitiveOption),
                    literal);
    }
    Dataset plan(db);
    plan.setSql(QStringLiteral("explain (analyze, timing off) ") + sql);
    plan.open();
    for (int r = 0; r < plan.recordCount(); ++r) {
        const QString line = plan.valueAt(r, 0).toString();
        if (line.startsWith(QLatin1String("Execution Time:")))
            return line.section(u' ', 2, 2).toDouble();
    }
    return -1;
}

double serverMs(Database& db, QString sql, const QHash<QString, QVariant>& params)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        const double ms = explainMs(db, sql, params);
        if (ms >= 0)
            times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    return times.empty() ? -1 : times[times.size() / 2];
}

void report(const QString& name, double ms, double server)
{
    if (server > 0)
        std::printf("%-58s %9.2f ms   server alone %8.2f ms   ratio %6.1f\n", name.toUtf8().constData(), ms, server,
                    ms / server);
    else
        std::printf("%-58s %9.2f ms\n", name.toUtf8().constData(), ms);
    std::fflush(stdout);
}

FreshDatabase::FreshDatabase(const QString& prefix)
    : m_name(QStringLiteral("%1_%2").arg(prefix).arg(QCoreApplication::applicationPid()))
{
    m_admin.setConnectionText(connectionText(QStringLiteral("postgres"), QStringLiteral("localhost")));
    m_admin.open();
    Command(m_admin, QStringLiteral("drop database if exists %1").arg(m_name)).execute();
    // PW_TEMPLATE names another template, as for the tests.
    const QByteArray templ = qgetenv("PW_TEMPLATE");
    Command(m_admin, QStringLiteral("create database %1 template %2")
                         .arg(m_name, templ.isEmpty() ? QStringLiteral("pw_template") : QString::fromUtf8(templ)))
        .execute();
    Command(m_admin, QStringLiteral("alter database %1 set datestyle to 'ISO, DMY'").arg(m_name)).execute();
}

FreshDatabase::~FreshDatabase()
{
    try {
        Command(m_admin, QStringLiteral("drop database if exists %1 with (force)").arg(m_name)).execute();
    } catch (...) {
        // A leftover database is harmless: it carries the process id.
    }
}

} // namespace Bench

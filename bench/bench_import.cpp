// The legacy import over a generated old database of realistic size: 300
// workers, 600 products, 3,600 operations, a year of timesheet rows and
// 200,000 shift records. Timed end to end and per table, against a plain
// bulk copy (the server's COPY) of the same rows into the same tables in
// one transaction, which is the server's own cost of writing them.
#include "db/ProcessLocale.h"
#include "bench/BenchSupport.h"
#include "db/Command.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/Dataset.h"
#include "ledger/LegacyImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

namespace {

const int kWorkers = 300;
const int kKinds = 50;
const int kProducts = 600;
const int kShiftRecords = 200000;

void exec(Database& db, const QString& sql)
{
    Command(db, sql).execute();
}

// Fills one legacy table through prepared inserts in one transaction.
void fill(Database& db, const QString& insert, int rows, const std::function<QVariantList(int)>& row)
{
    Transaction tx(db);
    QSqlQuery q(db.handle());
    q.prepare(insert);
    for (int i = 1; i <= rows; ++i) {
        for (const QVariant& v : row(i))
            q.addBindValue(v);
        if (!q.exec()) {
            std::fprintf(stderr, "legacy fill failed: %s\n", qPrintable(sqlErrorText(q.lastError())));
            std::exit(1);
        }
    }
    tx.commit();
}

void makeLegacy(Database& legacy)
{
    QString days;
    QString marks;
    for (int d = 1; d <= 31; ++d) {
        days += QStringLiteral(", d%1 integer").arg(d);
        marks += QStringLiteral(", ?");
    }
    exec(legacy, "create table H_TABEL (id integer, w_id integer, month integer, year integer, smena integer" + days + ")");
    exec(legacy, "create table IZDEL (id integer, marka text, nom text, massa real)");
    exec(legacy, "create table NOMENKL (marka text, nom text)");
    exec(legacy, "create table OPER (id integer, vid integer, naimen integer, cena real, i_id integer)");
    exec(legacy, "create table VID_OPER (id integer, vid text)");
    exec(legacy, "create table WORKERS (id integer, fio text, addr text)");
    fill(legacy, "insert into WORKERS values (?, ?, ?)", kWorkers, [](int i) {
        return QVariantList{i, QStringLiteral("Рабочий %1 И.О.").arg(i), QStringLiteral("ул. Заводская, %1").arg(i)};
    });
    fill(legacy, "insert into VID_OPER values (?, ?)", kKinds + 2, [](int i) {
        if (i > kKinds)
            return QVariantList{7776 + i - kKinds, i == kKinds + 1 ? QStringLiteral("хоз. работы") : QStringLiteral("ср. сдельная")};
        return QVariantList{i, QStringLiteral("Операция %1").arg(i)};
    });
    fill(legacy, "insert into IZDEL values (?, ?, ?, ?)", kProducts, [](int i) {
        return QVariantList{i, QStringLiteral("ИЗД-%1").arg(i), QStringLiteral("Группа %1").arg(i % 20), 0.25 * (i % 8)};
    });
    fill(legacy, "insert into NOMENKL values (?, ?)", kProducts, [](int i) {
        return QVariantList{QStringLiteral("ИЗД-%1").arg(i), QStringLiteral("Группа %1").arg(i % 20)};
    });
    fill(legacy, "insert into OPER values (?, ?, ?, ?, ?)", kProducts * 6, [](int i) {
        return QVariantList{i, 1 + i % kKinds, i % 2, 0.5 + (i % 40) * 0.25, 1 + (i - 1) / 6};
    });
    // A year of timesheet rows: every worker, month and shift.
    fill(legacy, "insert into H_TABEL values (?, ?, ?, ?, ?" + marks + ")", kWorkers * 12 * 4, [](int i) {
        const int k = i - 1;
        QVariantList row{i, 1 + k % kWorkers, 1 + (k / kWorkers) % 12, 2025, 1 + k / (kWorkers * 12)};
        for (int d = 1; d <= 31; ++d)
            row << (d % 7 == 0 ? QVariant() : QVariant((i + d) % 9));
        return row;
    });
}

struct Step {
    const char* table;
    const char* columns;
};
const Step kCopySteps[] = {
    {"accounts_dep.h_tabel", nullptr},
    {"accounts_dep.izdel", "id, marka, nom, massa"},
    {"accounts_dep.nomenkl", "marka, nom"},
    {"accounts_dep.oper", "id, vid, naimen, cena_old, i_id"},
    {"accounts_dep.vid_oper", "id, vid"},
    {"accounts_dep.workers", "id, fio, addr"},
    {"accounts_dep.smena", "id, w_id, i_id, o_id, kol_vo, brak, smena, cena, color, ok, data, time, vvod"},
};

QString columnsOf(const Step& s)
{
    if (s.columns)
        return QLatin1String(s.columns);
    QString c = QStringLiteral("id, w_id, month, year, smena");
    for (int d = 1; d <= 31; ++d)
        c += QStringLiteral(", d%1").arg(d);
    return c;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ProcessLocale::apply();
    Bench::FreshDatabase fresh(QStringLiteral("pw_bench_import"));
    QTemporaryDir dir;
    {
        QFile ini(dir.filePath("odbc.ini"));
        ini.open(QIODevice::WriteOnly);
        QTextStream out(&ini);
        out << "[Tabel]\nDriver=SQLite3\nDatabase=" << dir.filePath("legacy.db") << "\n\n"
            << "[Tabel_PgSQL]\nDriver=PostgreSQL Unicode\nServername=localhost\nPort=5432\nDatabase=" << fresh.name()
            << "\nUsername=sys\nPassword=vumbrex\n";
    }
    qputenv("ODBCINI", dir.filePath("odbc.ini").toLocal8Bit());

    Database main;
    main.setConnectionText(connectionText(fresh.name(), QStringLiteral("localhost")));
    main.open();
    Database legacy;
    Database target;
    openLegacyConnections(legacy, target);

    QElapsedTimer timer;
    timer.start();
    makeLegacy(legacy);
    exec(main, QStringLiteral(
        "create table public.smena (id integer, w_id integer, i_id integer, o_id integer, kol_vo integer, brak integer, "
        "smena integer, cena double precision, color integer, ok varchar(255), data date, \"time\" integer, vvod timestamp)"));
    exec(main, QStringLiteral(
        "insert into public.smena select g, 1 + g % %1, 1 + (g % 3600) / 6, 1 + g % 3600, 5 + g % 40, g % 3, 1 + g % 4, "
        "0.5 + (g % 40) * 0.25, g % 5, case when g % 10 = 0 then 'no' else 'ok' end, date '2025-01-01' + g % 365, "
        "1 + g % 8, timestamp '2025-01-01 07:00' + (g % 365) * interval '1 day' + (g % 600) * interval '1 minute' "
        "from generate_series(1, %2) g").arg(kWorkers).arg(kShiftRecords));
    exec(main, QStringLiteral("analyze public.smena"));
    std::printf("generated the legacy database in %.1f s\n", timer.elapsed() / 1000.0);

    // The import, as the menu item or the command line runs it.
    if (qEnvironmentVariableIsSet("PW_BENCH_LOG_SLOW"))
        exec(target, QStringLiteral("set log_min_duration_statement = 300"));
    LegacyImport import(legacy, target, main);
    QElapsedTimer stepTimer;
    QElapsedTimer sinceResponsive;
    qint64 longestGap = 0;
    QString lastEvent = QStringLiteral("start");
    QString longestAfter;
    QVector<double> stepMs;
    import.keepResponsive = [&] {
        if (sinceResponsive.elapsed() > longestGap) {
            longestGap = sinceResponsive.elapsed();
            longestAfter = lastEvent;
        }
        sinceResponsive.restart();
    };
    import.onProgress = [&](const QString& source, int copied, int total) {
        lastEvent = LegacyImport::progressText(source, copied, total);
    };
    import.onTableDone = [&](const QString& source, int) {
        stepMs.append(stepTimer.nsecsElapsed() / 1e6);
        stepTimer.restart();
        lastEvent = source + QStringLiteral(" done");
    };
    timer.restart();
    stepTimer.start();
    sinceResponsive.start();
    const ImportReport report = import.run();
    const double importMs = timer.nsecsElapsed() / 1e6;
    const double finishMs = importMs - [&] { double s = 0; for (double m : stepMs) s += m; return s; }();
    int rows = 0;
    for (const ImportedTable& t : report.tables)
        rows += t.rows;

    // The same rows as files the server reads itself.
    const QString csvDir = QStringLiteral("/tmp/%1").arg(fresh.name());
    QDir().mkpath(csvDir);
    QFile::setPermissions(csvDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                      | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    for (const Step& s : kCopySteps)
        exec(target, QStringLiteral("copy (select %1 from %2) to '%3/%2.csv' (format csv)")
                         .arg(columnsOf(s), QLatin1String(s.table), csvDir));
    QVector<double> copyMs;
    timer.restart();
    {
        Transaction tx(target);
        exec(target, QStringLiteral("set constraints all deferred"));
        for (const Step& s : kCopySteps) {
            QElapsedTimer t;
            t.start();
            exec(target, QStringLiteral("delete from %1 where id>0").arg(QLatin1String(s.table)));
            // A view takes no COPY: its rows go through its insert trigger.
            if (QLatin1String(s.table) == QLatin1String("accounts_dep.izdel")) {
                exec(target, QStringLiteral("create temp table izdel_copy (id numeric, marka text, nom text, massa float8)"));
                exec(target, QStringLiteral("copy izdel_copy from '%1/%2.csv' (format csv)").arg(csvDir, QLatin1String(s.table)));
                exec(target, QStringLiteral("insert into accounts_dep.izdel (id, marka, nom, massa) select * from izdel_copy"));
                exec(target, QStringLiteral("drop table izdel_copy"));
            } else {
                exec(target, QStringLiteral("copy %1 (%2) from '%3/%1.csv' (format csv)")
                                 .arg(QLatin1String(s.table), columnsOf(s), csvDir));
            }
            copyMs.append(t.nsecsElapsed() / 1e6);
        }
        exec(target, QStringLiteral("set constraints all immediate"));
        tx.commit();
    }
    const double bulkMs = timer.nsecsElapsed() / 1e6;
    QDir(csvDir).removeRecursively();

    std::printf("\n%-10s %9s %12s %12s %8s\n", "table", "rows", "import ms", "COPY ms", "ratio");
    for (int i = 0; i < report.tables.size(); ++i)
        std::printf("%-10s %9d %12.0f %12.0f %8.1f\n", qPrintable(report.tables.at(i).source), report.tables.at(i).rows,
                    stepMs.value(i), copyMs.value(i), copyMs.value(i) > 0 ? stepMs.value(i) / copyMs.value(i) : 0.0);
    std::printf("%-10s %9s %12.0f\n", "finish", "", finishMs);
    std::printf("\nimport: %d rows in %.2f s, %.0f rows/s (workers written %d, norms added %d)\n", rows, importMs / 1000,
                rows / (importMs / 1000), report.workersWritten, report.normsAdded);
    std::printf("bulk copy of the same rows: %.2f s, %.0f rows/s\n", bulkMs / 1000, rows / (bulkMs / 1000));
    std::printf("ratio import / bulk copy: %.1f\n", importMs / bulkMs);
    std::printf("longest stretch without repainting: %lld ms (after \"%s\")\n", static_cast<long long>(longestGap),
                qPrintable(longestAfter));
    return 0;
}

// The month check over a generated year: the check of the last whole month
// (its statements read into findings) and the window showing them,
// each against the server's own time of the statements.
#include "widgets/AppLifetime.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "bench/PrintedDialogs.h"
#include "db/SharedSql.h"
#include "ledger/MonthCheck.h"
#include "timesheets/MonthCheckWindow.h"

#include <QApplication>
#include <QLocale>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv)
{
    Bench::Application app(argc, argv);
    Bench::PrintedDialogs dialogs;
    Bench::Program program(dialogs);
    if (!program.started())
        return 1;
    WindowOwner& owner = program.owner();
    TDataModule6& dm = owner.dataModule();

    dm.Control.setSql(QStringLiteral("select (date_trunc('month', max(data)) - interval '1 month')::date as m from "
                                     "accounts_dep.smena"));
    dm.Control.open();
    const QDate first = dm.Control.field(QStringLiteral("m")).asDate();
    dm.Control.close();
    const MonthRange month = MonthRange::of(first);

    MonthCheck::Result result;
    const double check = Bench::medianMs(5, [&] { result = MonthCheck::run(dm, month); });
    const QHash<QString, QVariant> params{{QStringLiteral("first"), month.first()},
                                          {QStringLiteral("next"), month.next()},
                                          {QStringLiteral("year"), month.year},
                                          {QStringLiteral("month"), month.month},
                                          {QStringLiteral("days"), month.days()}};
    double server = 0;
    for (const QString& sql : {MonthCheck::shiftTimesheetSql(), MonthCheck::typedTimesheetSql(), MonthCheck::repeatedRowsSql(),
                               MonthCheck::shiftRecordsSql(), MonthCheck::operationsWithoutPriceSql(),
                               MonthCheck::dayHoursSql(), MonthCheck::maintenanceRecordsSql()}) {
        server += Bench::serverMs(dm.ADO_DB, sql, params);
    }
    // Whether the journals show the findings' records, as the check asks.
    for (const MonthCheck::Source source : {MonthCheck::Source::ShiftRecord, MonthCheck::Source::MaintenanceRecord}) {
        QStringList ids;
        for (const MonthCheck::Finding& f : result.findings)
            if (f.source == source && f.record > 0)
                ids << QString::number(f.record);
        if (ids.isEmpty())
            continue;
        const bool shift = source == MonthCheck::Source::ShiftRecord;
        QHash<QString, QVariant> places{{QStringLiteral("ids"), QStringLiteral("{%1}").arg(ids.join(u','))}};
        if (shift)
            places.insert(QStringLiteral("hidden"), SharedSql::hiddenMark());
        server += Bench::serverMs(dm.ADO_DB, shift ? MonthCheck::journalPlacesSql() : MonthCheck::maintenancePlacesSql(),
                                  places);
    }
    dm.Control.setSql(QStringLiteral("select count(*) as n from accounts_dep.smena where data>=:first and data<:next"));
    dm.Control.setParam(QStringLiteral("first"), month.first());
    dm.Control.setParam(QStringLiteral("next"), month.next());
    dm.Control.open();
    const int records = dm.Control.field(QStringLiteral("n")).asInt();
    dm.Control.close();
    std::printf("month %02d.%d: %d shift records, %lld findings (%d of the timesheet and prices)\n", month.month,
                month.year, records, qlonglong(result.findings.size()), result.blocking());
    for (int k = 0; k < MonthCheck::kKindCount; ++k)
        std::printf("  %s: %d\n", MonthCheck::title(MonthCheck::Kind(k)).toUtf8().constData(),
                    result.count(MonthCheck::Kind(k)));
    Bench::report(QStringLiteral("check of the month (its statements read into findings)"), check, server);

    MonthCheckWindow& window = owner.monthCheckWindow();
    const double shown = Bench::medianMs(5, [&] { window.prepare(first.addDays(10), LoginRole::Full); });
    Bench::report(QStringLiteral("the window: check and findings shown"), shown, server);
    return dialogs.errors == 0 ? 0 : 1;
}

// The maintenance works journal over a generated year: opening a day of the
// journal, saving a record end to end (insert, posting of the day, the
// journal re-read) and the average piece-rate calculation of a month, each
// against the server's own time of its statements.
#include "widgets/AppLifetime.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "bench/PrintedDialogs.h"
#include "db/Command.h"
#include "ledger/DayPosting.h"
#include "ledger/MaintenanceJournal.h"
#include "timesheets/TForm24.h"
#include "timesheets/TForm25.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <cstdio>

namespace {


int scalar(TDataModule6& dm, const QString& sql)
{
    dm.Control.close();
    dm.Control.setSql(sql);
    dm.Control.open();
    const int value = dm.Control.field(QStringLiteral("v")).asInt();
    dm.Control.close();
    return value;
}

} // namespace

int main(int argc, char** argv)
{
    Bench::Application app(argc, argv);
    Bench::PrintedDialogs dialogs;
    Bench::Program program(dialogs);
    if (!program.started())
        return 1;
    WindowOwner& owner = program.owner();
    TDataModule6& dm = owner.dataModule();
    TForm25& journal = owner.form25();
    TForm24& editor = owner.form24();

    // The last whole month, and its working day with the most records.
    dm.Control.setSql(QStringLiteral("select (date_trunc('month', max(d_date)) - interval '1 month')::date as m from "
                                     "accounts_dep.fatigue"));
    dm.Control.open();
    const QDate month = dm.Control.field(QStringLiteral("m")).asDate();
    dm.Control.close();
    dm.Control.setSql(QStringLiteral("select d_date from accounts_dep.fatigue where i_mnth=%1 and i_year=%2 and "
                                     "extract(isodow from d_date) < 6 group by d_date order by count(*) desc, d_date "
                                     "limit 1")
                          .arg(month.month())
                          .arg(month.year()));
    dm.Control.open();
    const QDate day = dm.Control.field(QStringLiteral("d_date")).asDate();
    dm.Control.close();

    // A share of the month's records made average piecework for the
    // calculation (the generated data may hold maintenance work only); put
    // back at the end.
    Command(dm.ADO_DB, QStringLiteral("drop table if exists bench_kinds")).execute();
    Command(dm.ADO_DB, QStringLiteral("create temp table bench_kinds as select id, id_o, price from accounts_dep.fatigue "
                                      "where i_mnth=%1 and i_year=%2")
                           .arg(month.month())
                           .arg(month.year()))
        .execute();
    Command(dm.ADO_DB, QStringLiteral("update accounts_dep.fatigue set id_o=7778 where id in (select id from bench_kinds "
                                      "where id % 5 < 2)"))
        .execute();

    journal.prepareOpen(day, LoginRole::Full);
    journal.FormActivate();
    const int rows = journal.fatigue.recordCount();
    const double openMs = Bench::medianMs(21, [&] { journal.FormActivate(); });
    const double openServer = Bench::serverMs(dm.ADO_DB, journal.fatigue.sql(), {{"d_date", day}});
    Bench::report(QStringLiteral("open a day of the journal (%1 records)").arg(rows), openMs, openServer);

    // Saves of one worker and group on that day; removed afterwards.
    dm.Control.setSql(QStringLiteral("select min(p.id) as w, min(i.id) as g from accounts_dep.person p, "
                                     "cmn_classifier.item i where i.id_level=2"));
    dm.Control.open();
    const int worker = dm.Control.field(QStringLiteral("w")).asInt();
    const int group = dm.Control.field(QStringLiteral("g")).asInt();
    dm.Control.close();
    const int lastBefore = scalar(dm, QStringLiteral("select max(id) as v from accounts_dep.fatigue"));
    // The editor as "Добавить" opens it, filled in once; each run saves.
    editor.prepareNew();
    editor.workerId = worker;
    editor.Edit1->setText(QStringLiteral("Работник"));
    editor.groupId = group;
    editor.Edit2->setText(QStringLiteral("Группа"));
    editor.Edit6->setText(QStringLiteral("2"));
    const double saveMs = Bench::medianMs(21, [&] { editor.Button1Click(); });
    editor.finish();
    double saveServer = 0;
    {
        // The statements of one save, on the server alone, undone afterwards.
        Transaction undo(dm.ADO_DB);
        const QString key = QStringLiteral(" where w_id=%1 and i_type=7777 and month=%2 and year=%3 and i_night=0")
                                .arg(worker)
                                .arg(day.month())
                                .arg(day.year());
        saveServer += Bench::serverMs(
            dm.ADO_DB,
            QStringLiteral("INSERT INTO accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, "
                           "price, i_holiday, i_night) VALUES(%1, 7777, %2, :d, %3, %4, 1, 2, 200, 0, 0)")
                .arg(group)
                .arg(worker)
                .arg(day.month())
                .arg(day.year()),
            {{"d", day}});
        saveServer += Bench::serverMs(dm.ADO_DB, QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel") + key);
        saveServer += Bench::serverMs(dm.ADO_DB,
                                      QStringLiteral("select sum(f.cnt) as tim from accounts_dep.fatigue f where f.id_p "
                                                     "=%1 and f.id_o=7777 and i_night=0 and f.d_date=:d group by f.id_p, "
                                                     "f.d_date")
                                          .arg(worker),
                                      {{"d", day}});
        saveServer += Bench::serverMs(dm.ADO_DB, QStringLiteral("update accounts_dep.h_tabel set d%1=d%1").arg(day.day()) + key);
        saveServer += openServer;
    }
    Bench::report(QStringLiteral("save a record end to end (insert, posting, re-read)"), saveMs, saveServer);
    Command(dm.ADO_DB, QStringLiteral("delete from accounts_dep.fatigue where id > %1").arg(lastBefore)).execute();
    DayPosting::typedAfterDelete(dm, worker, 7777, 0, day);

    const int average = scalar(dm, QStringLiteral("select count(*) as v from accounts_dep.fatigue where id_o=7778 and "
                                                  "i_mnth=%1 and i_year=%2")
                                       .arg(month.month())
                                       .arg(month.year()));
    const int shiftRecords = scalar(dm, QStringLiteral("select count(*) as v from accounts_dep.smena where data >= "
                                                       "date '%1' and data < date '%2'")
                                            .arg(month.toString(Qt::ISODate), month.addMonths(1).toString(Qt::ISODate)));
    MaintenanceJournal::RateOutcome outcome;
    const double rateMs = Bench::medianMs(9, [&] { outcome = MaintenanceJournal::calculateAverageRates(dm, day); });
    double rateServer = 0;
    {
        Transaction undo(dm.ADO_DB);
        rateServer = Bench::serverMs(dm.ADO_DB, MaintenanceJournal::averageRateSql(day))
            + Bench::serverMs(dm.ADO_DB, QStringLiteral("select count(*) as cnt from accounts_dep.fatigue where i_mnth = "
                                                        "%1 and i_year = %2 and id_o =7778 and price = 0")
                                             .arg(month.month())
                                             .arg(month.year()));
    }
    Bench::report(QStringLiteral("average piece rates of %1 (%2 records, %3 of them 0; %4 shift records)")
                      .arg(month.toString(QStringLiteral("MM.yyyy")))
                      .arg(average)
                      .arg(outcome.zero)
                      .arg(shiftRecords),
                  rateMs, rateServer);

    Command(dm.ADO_DB, QStringLiteral("update accounts_dep.fatigue f set id_o=k.id_o, price=k.price from bench_kinds k "
                                      "where k.id=f.id"))
        .execute();
    Command(dm.ADO_DB, QStringLiteral("drop table bench_kinds")).execute();
    return dialogs.errors == 0 ? 0 : 1;
}

// Opening the shared queries and switching client-side filters over a
// generated year of data, against the server's own execution time.
#include "db/ProcessLocale.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "bench/BenchSupport.h"
#include "db/ConnectionText.h"
#include "db/FilterExpr.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ProcessLocale::apply();
    WidgetDialogService dialogs;
    TDataModule6 dm(dialogs);
    dm.ADO_DB.setConnectionText(connectionText(Bench::database(), QStringLiteral("localhost")));
    dm.ADO_DB.open();

    Dataset& control = dm.Control;
    control.setSql("select max(data) as last from accounts_dep.smena");
    control.open();
    const QDate last = control.field("last").asDate();
    control.close();
    QDate day = last;
    while (day.dayOfWeek() > 5)
        day = day.addDays(-1);
    const QDate month(day.year(), day.month(), 1);

    std::printf("Shared queries (median of 5 opens)\n");
    for (Dataset* q : {&dm.Workers, &dm.Izdel, &dm.Oper, &dm.Vid_oper}) {
        const double ms = Bench::medianMs(5, [q] {
            q->close();
            q->open();
        });
        Bench::report(QStringLiteral("open %1 (%2 rows)").arg(q->name()).arg(q->recordCount()), ms,
                      Bench::serverMs(dm.ADO_DB, q->sql()));
    }
    for (int shift = 1; shift <= 4; ++shift) {
        Dataset& q = dm.Smena(shift);
        QHash<QString, QVariant> params{{"data", day}, {"ok", QStringLiteral("ta")}};
        for (auto it = params.begin(); it != params.end(); ++it)
            q.setParam(it.key(), it.value());
        const double ms = Bench::medianMs(5, [&q] {
            q.close();
            q.open();
        });
        Bench::report(QStringLiteral("open %1 for %2 (%3 rows)").arg(q.name(), day.toString("dd.MM.yyyy")).arg(q.recordCount()),
                      ms, Bench::serverMs(dm.ADO_DB, q.sql(), params));
    }
    for (int shift = 1; shift <= 3; ++shift) {
        Dataset& q = dm.H_Tabel(shift);
        QHash<QString, QVariant> params{{"mnth", month.month()}, {"yea", month.year()}, {"date1", month},
                                        {"date2", month.addMonths(1)}};
        for (auto it = params.begin(); it != params.end(); ++it)
            q.setParam(it.key(), it.value());
        const double ms = Bench::medianMs(3, [&q] {
            q.close();
            q.open();
        });
        Bench::report(QStringLiteral("open %1 for %2 (%3 rows)").arg(q.name(), month.toString("MM.yyyy")).arg(q.recordCount()),
                      ms, Bench::serverMs(dm.ADO_DB, q.sql(), params));
    }

    std::printf("\nClient-side filter over a large dataset\n");
    Dataset big(dm.ADO_DB, "big");
    big.setSql("select s.id, s.data, s.o_id, s.w_id, s.kol_vo, p.fio from accounts_dep.smena s "
               "join accounts_dep.person p on p.id = s.w_id order by s.id limit 100000");
    const double openMs = Bench::medianMs(3, [&big] {
        big.close();
        big.open();
    });
    Bench::report(QStringLiteral("open %1 rows").arg(big.recordCount()), openMs, Bench::serverMs(dm.ADO_DB, big.sql()));
    struct FilterCase {
        const char* name;
        QString text;
    };
    const FilterCase filters[] = {
        {"number  o_id=12", QStringLiteral("o_id=12")},
        {"prefix  fio like 'Ив%'", filterLikePrefix("fio", QStringLiteral("ив"))},
        {"contains fio like '%ов%'", filterLikeContains("fio", QStringLiteral("ов"))},
    };
    for (const FilterCase& f : filters) {
        const double on = Bench::medianMs(5, [&] {
            big.setFilter(f.text);
            big.setFiltered(true);
        });
        const double off = Bench::medianMs(5, [&] {
            big.setFiltered(true);
            big.setFiltered(false);
        });
        Bench::report(QStringLiteral("filter on, %1").arg(QString::fromUtf8(f.name)), on);
        std::printf("  ratio to opening the dataset: %.3f\n", on / openMs);
        Bench::report(QStringLiteral("filter on and off again"), off);
    }
    return 0;
}

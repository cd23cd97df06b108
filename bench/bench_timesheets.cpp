// The month timesheets over a generated year: opening a month in the shift
// timesheet and in each pay timesheet variant, rebuilding a month in both,
// printing the month summary to PDF and exporting it to a workbook; each
// against the server's own time of the same statements.
#include "widgets/AppLifetime.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "reports/engine/ReportEngine.h"
#include "ledger/MonthRebuild.h"
#include "timesheets/TForm19.h"
#include "timesheets/TForm27.h"

#include <QApplication>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace {

QHash<QString, QVariant> payParams(const MonthRange& m)
{
    QHash<QString, QVariant> p{{"i_month", m.month}, {"i_year", m.year}};
    for (int i = 1; i <= 8; ++i)
        p.insert(QStringLiteral("d_date%1").arg(i), i % 2 == 1 ? m.next() : m.first());
    return p;
}

// The server's time of a statement that writes, run inside a transaction
// that is rolled back, so that every run starts from the same rows.
double serverWriteMs(Database& db, const QStringList& statements, const QHash<QString, QVariant>& params)
{
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        Transaction tx(db);
        double total = 0;
        for (const QString& sql : statements)
            total += Bench::explainMs(db, sql, params);
        times.push_back(total);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    Bench::Application app(argc, argv);
    WidgetDialogService dialogs;
    Bench::Program program(dialogs);
    if (!program.started())
        return 1;
    WindowOwner& owner = program.owner();
    TDataModule6& dm = owner.dataModule();
    TForm19& shifts = owner.form19();
    TForm27& pay = owner.form27();

    // The last month that is over.
    dm.Control.setSql("select max(data) as last from accounts_dep.smena");
    dm.Control.open();
    const QDate last = dm.Control.field("last").asDate();
    dm.Control.close();
    const MonthRange month = MonthRange::of(last.addMonths(-1));
    const QDate inMonth = month.first().addDays(14);

    // The shift timesheet: three shift queries.
    shifts.prepare(inMonth);
    double server = 0;
    for (int n = 1; n <= 3; ++n)
        server += Bench::serverMs(dm.ADO_DB, dm.H_Tabel(n).sql(),
                                  {{"mnth", month.month}, {"yea", month.year}, {"date1", month.first()}, {"date2", month.next()}});
    const double openShifts = Bench::medianMs(7, [&] { shifts.ComboBox1Change(); });
    int rows = 0;
    for (int n = 1; n <= 3; ++n)
        rows += dm.H_Tabel(n).recordCount();
    Bench::report(QStringLiteral("shift timesheet: open a month (3 shifts, %1 rows)").arg(rows), openShifts, server);

    // The pay timesheet, each variant with its four footer totals.
    pay.today = [&] { return inMonth; };
    const struct {
        TForm27::Mode mode;
        const char* name;
    } variants[] = {{TForm27::Piece, "сделка"}, {TForm27::Maintenance, "хоз. работы"},
                    {TForm27::Average, "ср. сдельная"}, {TForm27::Total, "общий"}};
    const auto params = payParams(month);
    for (const auto& v : variants) {
        pay.prepare(v.mode);
        double variantServer = Bench::serverMs(dm.ADO_DB, pay.query().sql(), params);
        for (Dataset* footer : {&pay.price, &pay.price7, &pay.price8, &pay.all_price})
            variantServer += Bench::serverMs(dm.ADO_DB, footer->sql(), params);
        const double ms = Bench::medianMs(7, [&] { pay.ComboBox1Change(); });
        Bench::report(QStringLiteral("pay timesheet %1: open a month (%2 lines, 4 totals)")
                          .arg(QString::fromUtf8(v.name))
                          .arg(pay.query().recordCount()),
                      ms, variantServer);
        pay.finish();
    }

    // The rebuilds, each rolled back afterwards so that every run starts alike.
    const QHash<QString, QVariant> rebuildParams{
        {"month", month.month}, {"year", month.year}, {"first", month.first()}, {"next", month.next()}};
    const struct {
        const char* name;
        void (*rebuild)(TDataModule6&, const MonthRange&, const MonthRebuild::Progress&);
        QStringList statements;
    } rebuilds[] = {
        {"shift rows", &MonthRebuild::shiftRows, {MonthRebuild::shiftDeleteSql(), MonthRebuild::shiftInsertSql()}},
        {"typed rows", &MonthRebuild::typedRows, {MonthRebuild::typedDeleteSql(), MonthRebuild::typedInsertSql()}},
    };
    for (const auto& r : rebuilds) {
        const double rebuildServer = serverWriteMs(dm.ADO_DB, r.statements, rebuildParams);
        const double ms = Bench::medianMs(5, [&] {
            Transaction tx(dm.ADO_DB);
            r.rebuild(dm, month, {});
        });
        Bench::report(QStringLiteral("rebuild a month's %1 (lock, delete, insert)").arg(QString::fromUtf8(r.name)), ms,
                      rebuildServer);
    }

    // The month summary: laid out and written as PDF, and exported.
    QTemporaryDir dir;
    const double printServer =
        Bench::serverMs(dm.ADO_DB, shifts.Form15.H_Tabel.sql(), {{"mnth", month.month}, {"yea", month.year}});
    int pages = 0;
    const double printMs = Bench::medianMs(5, [&] {
        TForm15& f = shifts.Form15;
        f.H_Tabel.close();
        f.H_Tabel.setParam("mnth", month.month);
        f.H_Tabel.setParam("yea", month.year);
        f.H_Tabel.open();
        f.setPeriodText(MonthRange::monthName(month.month) + QStringLiteral(" %1 г.").arg(month.year));
        pages = f.Prepare().pageCount();
        f.H_Tabel.close();
        report::writePdf(f.pages(), dir.filePath("month.pdf"));
    });
    Bench::report(QStringLiteral("print the month summary to PDF (%1 pages)").arg(pages), printMs, printServer);

    shifts.exporter().setExportFolder(dir.path());
    shifts.exporter().setOpener([](const QString&) { return true; });
    const double exportMs = Bench::medianMs(5, [&] { shifts.Button2Click(); });
    Bench::report(QStringLiteral("export the month summary to a workbook (%1)").arg(shifts.Button2->text()), exportMs,
                  printServer);
    shifts.finish();
    return 0;
}

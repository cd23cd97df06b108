// The journal over a generated year: switching the day (four shift
// queries) and accepting a record, against the same statements on the
// server alone.
#include "widgets/AppLifetime.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "journal/TForm1.h"

#include <QApplication>
#include <QDateEdit>
#include <QLocale>

int main(int argc, char** argv)
{
    Bench::Application app(argc, argv);
    WidgetDialogService dialogs;
    Bench::Program program(dialogs);
    if (!program.started())
        return 1;
    WindowOwner& owner = program.owner();
    TForm1& j = owner.form1();
    TDataModule6& dm = owner.dataModule();
    for (int shift = 1; shift <= 4; ++shift)
        dm.Smena(shift).setParam("ok", QStringLiteral("ta"));

    dm.Control.setSql("select max(data) as last from accounts_dep.smena");
    dm.Control.open();
    QDate day = dm.Control.field("last").asDate();
    dm.Control.close();
    while (day.dayOfWeek() > 5)
        day = day.addDays(-1);

    double server = 0;
    for (int shift = 1; shift <= 4; ++shift)
        server += Bench::serverMs(dm.ADO_DB, dm.Smena(shift).sql(), {{"data", day}, {"ok", QStringLiteral("ta")}});
    int flip = 0;
    const double switchMs = Bench::medianMs(9, [&] {
        j.DateT->setDate(day.addDays(-7 * (flip++ % 2)));
        j.DateTChange();
    });
    int rows = 0;
    for (int shift = 1; shift <= 4; ++shift)
        rows += dm.Smena(shift).recordCount();
    Bench::report(QStringLiteral("switch the journal's day (4 shifts, %1 rows)").arg(rows), switchMs, server);

    j.DateT->setDate(day);
    j.DateTChange();
    j.RadioButtonClick(1);
    dm.Smena1.setRecNo(dm.Smena1.recordCount() / 2);
    const int id = dm.Smena1.field("id").asInt();
    const double acceptServer =
        Bench::serverMs(dm.ADO_DB, QStringLiteral("update accounts_dep.smena set ok=ok where id=%1").arg(id))
        + Bench::serverMs(dm.ADO_DB, dm.Smena1.sql(), {{"data", day}, {"ok", QStringLiteral("ta")}});
    const double acceptMs = Bench::medianMs(9, [&] { j.DBGrid2DblClick(); });
    Bench::report(QStringLiteral("accept a record (update and re-read shift 1)"), acceptMs, acceptServer);
    return 0;
}

// The catalog lists over a generated year of data (demo.generate(300) in a
// fresh database copied from the test template): the time to open each
// list, and the filter step of one keystroke (setFilter + setFiltered and
// the grid redrawn), as an absolute time and as a share of the open time.
// With an argument "scale" the products are multiplied tenfold as well.
#include "widgets/AppLifetime.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "widgets/ListMode.h"
#include "catalogs/TForm26.h"
#include "catalogs/TForm3.h"
#include "catalogs/TForm5.h"
#include "catalogs/TForm8.h"
#include "db/Command.h"
#include "db/ConnectionText.h"
#include "db/FilterExpr.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <cstdio>
#include <memory>
#include <type_traits>

namespace {

struct Line {
    QString list;
    int rows;
    double openMs;
    double keyMs;        // one keystroke in the window, grid redrawn
    double filterMs;     // setFilter + setFiltered alone
    int keys;
};

// Types `text` into the list's filter field one character at a time,
// waiting for the grid to be drawn after each; answers the median per key.
double typeInto(QLineEdit* field, const QString& text)
{
    return Bench::medianMs(9, [&] {
        field->clear();
        QCoreApplication::processEvents();
        for (int i = 1; i <= text.size(); ++i) {
            field->setText(text.left(i));
            QCoreApplication::processEvents();
        }
    }) / text.size();
}

double filterAlone(Dataset& dataset, const QString& field, const QString& text)
{
    return Bench::medianMs(9, [&] {
        for (int i = 1; i <= text.size(); ++i) {
            dataset.setFilter(filterLikePrefix(field, text.left(i)));
            dataset.setFiltered(true);
        }
        dataset.setFiltered(false);
    }) / text.size();
}

template <class List>
Line measure(const QString& title, List& list, Dataset& dataset, const QString& field, const QString& typed)
{
    // Opening: what an opener does before the list is shown, and the
    // first drawing of the grid.
    const double openMs = Bench::medianMs(9, [&] {
        list.finishPicker();
        list.preparePicker(std::is_same_v<List, TForm26> ? ListMode::MaintenancePicker : ListMode::Picker,
                           [](int, const QString&) {});
        list.show();
        QCoreApplication::processEvents();
    });
    const int rows = dataset.recordCount();
    const double keyMs = typeInto(list.Edit1, typed);
    list.Edit1->clear();
    const double filterMs = filterAlone(dataset, field, typed);
    list.hide();
    list.finishPicker();
    return {title, rows, openMs, keyMs, filterMs, int(typed.size())};
}

void print(const Line& l)
{
    std::printf("%-26s %6d rows  open %8.2f ms  keystroke %7.3f ms (filter alone %7.3f ms)  keystroke/open %5.3f\n",
                l.list.toUtf8().constData(), l.rows, l.openMs, l.keyMs, l.filterMs, l.keyMs / l.openMs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    Bench::Application app(argc, argv);
    const bool scale = argc > 1 && QByteArray(argv[1]) == "scale";

    std::unique_ptr<Bench::FreshDatabase> fresh;
    QString database = qEnvironmentVariable("PW_BENCH_DB");
    if (database.isEmpty()) {
        fresh = std::make_unique<Bench::FreshDatabase>(QStringLiteral("pwbench_catalogs"));
        database = fresh->name();
    }
    {
        Database setup;
        setup.setConnectionText(connectionText(database, QStringLiteral("localhost")));
        setup.open();
        if (fresh) {
            QElapsedTimer t;
            t.start();
            Command(setup, QStringLiteral("select demo.generate(300)")).execute();
            std::printf("generated a year of data for 300 workers in %.1f s\n", t.elapsed() / 1000.0);
        }
        if (scale) {
            // Ten times the products, marks like the generated ones.
            Command(setup, QStringLiteral(
                               "insert into cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa, id_class_item) "
                               "select g.s_caption || '-' || k, '', 6, g.massa, g.id_class_item "
                               "from cmn_gds_and_srv.gds_and_srv g cross join generate_series(1, 9) k where g.id <> 7777"))
                .execute();
        }
        Command(setup, QStringLiteral("vacuum analyze")).execute();
    }

    WidgetDialogService dialogs;
    Bench::Program program(dialogs, database);
    if (!program.started())
        return 1;
    WindowOwner& owner = program.owner();
    TDataModule6& dm = owner.dataModule();

    std::printf("Catalog lists: open (prepare as the picker's opener does, draw) and one filter keystroke,\n"
                "median of 9 runs; keystroke/open is the share of the open time one keystroke takes.\n");
    const Line lines[] = {
        measure(QStringLiteral("workers (TForm5)"), owner.form5(), dm.Workers, QStringLiteral("fio"),
                QStringLiteral("Кузнецов")),
        measure(QStringLiteral("products (TForm3)"), owner.form3(), dm.Izdel, QStringLiteral("marka"),
                QStringLiteral("СТ-0150")),
        measure(QStringLiteral("operation kinds (TForm8)"), owner.form8(), dm.Vid_oper, QStringLiteral("vid"),
                QStringLiteral("Сборка")),
        measure(QStringLiteral("groups (TForm26)"), owner.form26(), owner.form26().item, QStringLiteral("s_caption"),
                QStringLiteral("Стулья")),
    };
    for (const Line& l : lines)
        print(l);
    std::printf("server alone: the products list's select %.2f ms, the workers list's %.2f ms\n",
                Bench::serverMs(dm.ADO_DB, dm.Izdel.sql()), Bench::serverMs(dm.ADO_DB, dm.Workers.sql()));
    return 0;
}

// Shift record entry over a generated year: saving a record end to end
// (checks, duplicate count, insert, posting, journal re-read) on the bench
// database, and the price list export of 10,000 operations against writing
// the same cells as plain text.
#include "widgets/AppLifetime.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "bench/PrintedDialogs.h"
#include "catalogs/TForm4.h"
#include "db/Command.h"
#include "db/ConnectionText.h"
#include "ledger/DayPosting.h"
#include "journal/TForm1.h"
#include "journal/TForm11.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

namespace {


// The entry date the benchmark's records carry, so that they are found
// and removed afterwards.
const QDate kMarker(1999, 1, 1);

void saveRecords(Bench::PrintedDialogs& dialogs)
{
    Bench::Program program(dialogs);
    if (!program.started())
        return;
    WindowOwner& owner = program.owner();
    TDataModule6& dm = owner.dataModule();
    TForm1& journal = owner.form1();
    TForm11& editor = owner.form11();
    for (int shift = 1; shift <= 4; ++shift)
        dm.Smena(shift).setParam(QStringLiteral("ok"), QStringLiteral("ta"));

    // A working day with records and a worker of shift 1 on it; operations
    // of that worker's day are left out so that no save is a duplicate.
    Dataset& q = dm.Control;
    q.setSql(QStringLiteral("select max(data) as last from accounts_dep.smena where smena=1"));
    q.open();
    const QDate day = q.field(QStringLiteral("last")).asDate();
    q.close();
    q.setSql(QStringLiteral("select min(w_id) as w from accounts_dep.smena where smena=1 and data=:d"));
    q.setParam(QStringLiteral("d"), day);
    q.open();
    const int worker = q.field(QStringLiteral("w")).asInt();
    q.close();
    Command(dm.ADO_DB, QStringLiteral("delete from accounts_dep.smena where vvod=date '1999-01-01'")).execute();
    q.setSql(QStringLiteral("select o.id, o.i_id from accounts_dep.oper o join accounts_dep.vid_oper v on v.id=o.vid "
                            "where o.vid < 7777 and upper(v.vid) not like '%КРАСКА%' and not exists (select 1 from "
                            "accounts_dep.smena s where s.o_id=o.id and s.w_id=:w and s.data=:d) order by o.id limit 40"));
    q.setParam(QStringLiteral("w"), worker);
    q.open();
    QVector<QPair<int, int>> operations;
    for (int r = 0; r < q.recordCount(); ++r)
        operations.append({q.valueAt(r, 0).toInt(), q.valueAt(r, 1).toInt()});
    q.close();

    journal.today = [day] { return day; };
    journal.FormActivate();
    journal.RadioButtonClick(1);
    editor.today = [] { return kMarker; };
    const int journalRows = dm.Smena1.recordCount();
    int next = 0;
    auto saveOne = [&] {
        const auto [operation, product] = operations.at(next++ % operations.size());
        editor.prepareNew(day);
        editor.workerId = worker;
        editor.Edit1->setText(QStringLiteral("Работник"));
        editor.operationId = operation;
        editor.productId = product;
        editor.finalPrice = 12.5;
        editor.Edit2->setText(QStringLiteral("Изделие; Операция; Готовая продукция"));
        editor.Edit3->setText(QStringLiteral("10"));
        editor.Edit6->setText(QStringLiteral("1"));
        editor.Button1Click();
    };
    const int runs = std::min(21, int(operations.size()));
    const double saveMs = Bench::medianMs(runs, saveOne);
    const double rereadMs = Bench::medianMs(9, [&] {
        dm.Smena1.close();
        dm.Smena1.open();
    });
    const double server = Bench::serverMs(dm.ADO_DB, dm.Smena1.sql(), {{"data", day}, {"ok", QStringLiteral("ta")}});
    Bench::report(QStringLiteral("save a record end to end (journal of %1 rows)").arg(journalRows), saveMs);
    Bench::report(QStringLiteral("  of which the journal re-read of shift 1"), rereadMs, server);

    // The records go again and the worker's day is posted back.
    Command(dm.ADO_DB, QStringLiteral("delete from accounts_dep.smena where vvod=date '1999-01-01'")).execute();
    DayPosting::shiftAfterDelete(dm, worker, 1, day);
}

void exportPriceList(Bench::PrintedDialogs& dialogs)
{
    Bench::FreshDatabase fresh(QStringLiteral("pwbench_entry"));
    {
        // 500 products x 20 kinds = 10,000 operations.
        Database setup;
        setup.setConnectionText(connectionText(fresh.name(), QStringLiteral("localhost")));
        setup.open();
        Command(setup, QStringLiteral("insert into accounts_dep.vid_oper (vid) select 'Операция ' || k from "
                                      "generate_series(1, 20) k")).execute();
        Command(setup, QStringLiteral("insert into cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa) "
                                      "select 'СТ-' || lpad(i::text, 4, '0'), '', 6, 1 from generate_series(1, 500) i"))
            .execute();
        Command(setup, QStringLiteral("insert into accounts_dep.oper (vid, i_id, naimen, cena_new) select v.id, g.id, "
                                      "(v.id + g.id) % 2, round((1 + random() * 40)::numeric, 4) from "
                                      "accounts_dep.vid_oper v cross join cmn_gds_and_srv.gds_and_srv g")).execute();
        Command(setup, QStringLiteral("vacuum analyze")).execute();
    }
    Bench::Program program(dialogs, fresh.name());
    if (!program.started())
        return;
    WindowOwner& owner = program.owner();
    TForm4& list = owner.form4();
    QTemporaryDir folder;
    list.Excel.setExportFolder(folder.path());
    list.Excel.setOpener([](const QString&) { return true; });

    const double exportMs = Bench::medianMs(9, [&] { list.Button5Click(); });
    const int files = QDir(folder.path()).entryList(QDir::Files).size();
    const double queryMs = Bench::medianMs(9, [&] {
        list.XLS_Rep.close();
        list.XLS_Rep.open();
    });
    const int rows = list.XLS_Rep.recordCount();
    // The same cells as tab-separated text, from the open query.
    const QString textFile = QDir(folder.path()).filePath(QStringLiteral("price-list.txt"));
    const double textMs = Bench::medianMs(9, [&] {
        QFile file(textFile);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        QTextStream out(&file);
        out << "Марка\tОперация\tЦена\tВид\n";
        Dataset& d = list.XLS_Rep;
        const int marka = d.fieldIndex(QStringLiteral("MARKA")), vid = d.fieldIndex(QStringLiteral("VID")),
                  cena = d.fieldIndex(QStringLiteral("cena")), naimen = d.fieldIndex(QStringLiteral("NAIMEN"));
        for (int r = 0; r < d.recordCount(); ++r)
            out << d.valueAt(r, marka).toString().trimmed() << '\t' << d.valueAt(r, vid).toString().trimmed() << '\t'
                << QLocale().toString(d.valueAt(r, cena).toString().toDouble()) << '\t'
                << productTypeText(d.valueAt(r, naimen).toInt()) << '\n';
    });
    list.XLS_Rep.close();
    Bench::report(QStringLiteral("price list export, %1 operations (%2 files)").arg(rows).arg(files), exportMs);
    Bench::report(QStringLiteral("  of which the query"), queryMs);
    std::printf("  cells into the .xlsx %.2f ms, the same cells as plain text %.2f ms: ratio %.1f\n"
                "  whole export against query and plain text: ratio %.2f\n",
                exportMs - queryMs, textMs, (exportMs - queryMs) / textMs, exportMs / (queryMs + textMs));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    Bench::Application app(argc, argv);
    Bench::PrintedDialogs dialogs;
    saveRecords(dialogs);
    exportPriceList(dialogs);
    return dialogs.boxes == 0 ? 0 : 1;
}

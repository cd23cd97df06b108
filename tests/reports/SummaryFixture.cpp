#include "tests/reports/SummaryFixture.h"

#include "db/Command.h"

#include <QProcess>
#include <gtest/gtest.h>

void addSummaryWorkshop(TestDatabase& db)
{
    db.exec("insert into accounts_dep.person (id, fio) values (1, 'Иванов И.И.'), (2, 'Петров П.П.'), (3, 'Сидоров С.С.')");
    db.exec("insert into cmn_classifier.item (id, id_level, s_code, s_caption) values "
            "(501, 2, 'A', 'Группа А'), (502, 2, 'B', 'Группа Б'), (503, 2, 'C', 'Группа В')");
    db.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values "
            "(10, 'СТ-100', 0.525, 501), (11, 'СТ-200', 2, 501), (12, 'ПЛ-300', 1.25, 502)");
    db.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка'), (2, 'Окраска КРАСКА')");
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values "
            "(100, 1, 10, 0), (101, 2, 10, 1), (102, 1, 12, 1), (103, 2, 11, 0)");
    // data, worker, product, operation, price, quantity, rejects, colour, hours
    db.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, ok, prize) values "
            "('01.11.2026', 1, 1, 10, 100, 2.5, 10, 2, 0, 8, 'ok', 0),"    // Иванов: good 8, 20.00
            "('05.11.2026', 1, 1, 10, 101, 3, 20, 0, 1, 4, 'ok', 0),"      // primer, blanks: 20, 60.00
            "('06.11.2026', 2, 1, 11, 103, 4, 5, 1, 5, 3, 'ok', 0),"       // colour 5: good 4, 16.00
            "('01.12.2026', 1, 1, 10, 100, 2.5, 100, 0, 0, 8, 'ok', 0),"   // the excluded bound
            "('31.10.2026', 1, 1, 10, 100, 2.5, 100, 0, 0, 8, 'ok', 0),"   // before the period
            "('10.11.2026', 1, 2, 12, 102, 1.5, 40, 4, 0, 0, 'ok', 0),"    // Петров, blanks: good 36, 54.00
            "('11.11.2026', 3, 2, 10, 100, 2.5, 12, 0, 0, 0, 'no', 0)");   // finished: 12, 30.00
    // worker, kind, group, date, hours, price per hour, night
    db.exec("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, cnt, price, i_night) values "
            "(1, 7777, 501, '03.11.2026', 4, 10, 0),"     // 40
            "(1, 7777, 501, '01.11.2026', 1, 10, 0),"     // 10, on the first day
            "(1, 7778, 501, '04.11.2026', 2, 15, 1),"     // 30 by night
            "(1, 7777, 503, '07.11.2026', 3, 10, 0),"     // 30 in a group without products
            "(1, 7777, 501, '01.12.2026', 9, 10, 0),"     // the excluded bound
            "(3, 7778, 502, '12.11.2026', 5, 20, 0),"     // Сидоров: 100
            "(2, 7777, 502, '13.11.2026', 2, 12.5, 1)");  // Петров: 25 by night
}

void addNamesakes(TestDatabase& db)
{
    db.exec("insert into accounts_dep.person (id, fio) values (4, 'Кузнецов К.К.'), (5, 'Кузнецов К.К.')");
    db.exec("insert into cmn_classifier.item (id, id_level, s_code, s_caption) values (504, 2, 'G1', 'Группа Г'), (505, 2, 'G2', 'Группа Г')");
    db.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values (13, 'ГГ-1', 1, 504), (14, 'ГГ-2', 2, 505)");
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (104, 1, 13, 0), (105, 1, 14, 0)");
    db.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, ok, prize) values "
            "('15.11.2026', 1, 4, 13, 104, 1, 10, 0, 0, 2, 'ok', 0),"
            "('16.11.2026', 1, 4, 14, 105, 2, 5, 0, 0, 1, 'ok', 0),"
            "('17.11.2026', 1, 5, 14, 105, 1, 20, 0, 0, 4, 'ok', 0)");
    db.exec("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, cnt, price, i_night) values "
            "(4, 7777, 504, '15.11.2026', 1, 11, 0),"
            "(4, 7777, 505, '16.11.2026', 1, 7, 0),"
            "(5, 7777, 505, '17.11.2026', 2, 11, 0)");
}

void addLongNames(TestDatabase& db)
{
    // The names go in as parameters: they are long and carry commas.
    auto insert = [&](const char* sql, const QString& name) {
        Command c(db.db(), QString::fromUtf8(sql));
        c.setParam("name", name);
        c.execute();
    };
    insert("insert into accounts_dep.person (id, fio) values (6, :name)", kLongWorker);
    insert("insert into cmn_classifier.item (id, id_level, s_code, s_caption) values (506, 2, 'L', :name)", kLongGroup);
    insert("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values (15, :name, 1.5, 506)", kLongProduct);
    insert("insert into accounts_dep.vid_oper (id, vid) values (3, :name)", kLongKind);
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (106, 3, 15, 0)");
    db.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, ok, prize) "
            "select '20.11.2026', 1, 6, 15, 106, 1, 1, 0, c, 1, 'ok', 0 from generate_series(2, 90) c");
    db.exec("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, cnt, price, i_night) values (6, 7777, 506, '20.11.2026', 2, 10, 0)");
}

const report::PageModel& prepareLayout(ReportLayout& layout, const QDate& from, const QDate& to, int productType)
{
    Dataset& q = layout.query();
    q.close();
    layout.bindPeriod(from, to);
    layout.setProductType(productType);
    q.open();
    return layout.Prepare();
}

QStringList printed(const report::PageModel& model, const QString& item)
{
    QStringList out;
    for (const QString& text : model.textsOf(item))
        out << text.trimmed();
    return out;
}

QString pdfText(const QString& fileName)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), fileName,
                                          QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

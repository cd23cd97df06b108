#pragma once
#include "db/Command.h"
#include "tests/support/TestApp.h"

#include <QDate>

// A small workshop: two workers, one product, one operation; shift records
// are added by the tests.
inline void addSmallWorkshop(TestDatabase& db)
{
    db.exec("insert into accounts_dep.person (id, fio) values (1, 'Иванов И.И.'), (2, 'Петров П.П.'), (3, 'Сидоров С.С.')");
    db.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка'), (2, 'Окраска КРАСКА')");
    db.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa) values (10, 'СТ-100', 0.5)");
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (100, 1, 10, 0), (101, 2, 10, 1)");
    db.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (100, 1, 0, 2.5), (101, 1, 0, 3)");
    db.exec("select setval(pg_get_serial_sequence('accounts_dep.person', 'id'), 100), "
            "setval(pg_get_serial_sequence('accounts_dep.vid_oper', 'id'), 100), "
            "setval(pg_get_serial_sequence('accounts_dep.oper', 'id'), 1000)");
}

// Inserts a shift record and answers its id.
inline int addRecord(TestDatabase& db, int worker, int shift, const QDate& date, int hours, const QString& ok = "ok",
                     int kolvo = 10, int brak = 0, double cena = 2.5, int oper = 100)
{
    return db.scalar(QStringLiteral("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, "
                                    "color, time, ok, prize) values ('%1', %2, %3, 10, %4, %5, %6, %7, 0, %8, %9, 0) returning id")
                         .arg(date.toString("dd.MM.yyyy"))
                         .arg(shift)
                         .arg(worker)
                         .arg(oper)
                         .arg(cena, 0, 'f', 6)
                         .arg(kolvo)
                         .arg(brak)
                         .arg(hours)
                         .arg(ok.isNull() ? QStringLiteral("NULL") : "'" + ok + "'"))
        .toInt();
}

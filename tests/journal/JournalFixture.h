#pragma once
#include "db/TDataModule6.h"
#include "db/Command.h"
#include "tests/support/TestApp.h"

#include <QDate>
#include <QThread>
#include <functional>
#include <string>
#include <thread>

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

// Another copy of the program at work on a thread of its own, with its own
// data module on its own connection; what it throws is kept in `error`.
inline std::thread otherCopy(const QString& connection, std::string& error, std::function<void(TDataModule6&)> work)
{
    return std::thread([connection, &error, work = std::move(work)] {
        try {
            ScriptedDialogs dialogs;
            TDataModule6 copy(dialogs);
            copy.ADO_DB.setConnectionText(connection);
            copy.ADO_DB.open();
            work(copy);
        } catch (const std::exception& e) {
            error = e.what();
        }
    });
}

// Waits until at least `waiters` requests of posting locks wait on the
// server (at most ten seconds); answers whether they came.
inline bool lockWaiters(TestDatabase& db, int waiters)
{
    for (int i = 0; i < 500; ++i) {
        if (db.count("select count(*) from pg_locks where locktype='advisory' and not granted") >= waiters)
            return true;
        QThread::msleep(20);
    }
    return false;
}

#pragma once
#include "db/Command.h"
#include "db/Database.h"
#include "tests/support/TestDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <ostream>

// Readable texts in the failures of these tests.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// The old timesheet database of one test: an SQLite file reached through
// the SQLite ODBC driver as the data source "Tabel", and a private odbc.ini
// (ODBCINI) that also defines "Tabel_PgSQL" as the test's own PostgreSQL
// database. The legacy tables are made empty; the test fills them.
class LegacySource {
public:
    explicit LegacySource(TestDatabase& target)
    {
        EXPECT_TRUE(m_dir.isValid());
        m_previousIni = qgetenv("ODBCINI");
        writeIni(target.name());
        m_db.setConnectionText(QStringLiteral("Tabel"));   // a data source name
        m_db.open();
        QString days;
        for (int d = 1; d <= 31; ++d)
            days += QStringLiteral(", d%1 integer").arg(d);
        exec("create table H_TABEL (id integer, w_id integer, month integer, year integer, smena integer" + days + ")");
        exec("create table IZDEL (id integer, marka text, nom text, massa real)");
        exec("create table NOMENKL (marka text, nom text)");
        exec("create table OPER (id integer, vid integer, naimen integer, cena real, i_id integer)");
        exec("create table VID_OPER (id integer, vid text)");
        exec("create table WORKERS (id integer, fio text, addr text)");
        // The shift records are read from the program's own database.
        target.exec("create table public.smena (id integer, w_id integer, i_id integer, o_id integer, kol_vo integer, "
                    "brak integer, smena integer, cena double precision, color integer, ok varchar(255), data date, "
                    "\"time\" integer, vvod timestamp)");
    }

    ~LegacySource()
    {
        m_db.close();
        if (m_previousIni.isNull())
            qunsetenv("ODBCINI");
        else
            qputenv("ODBCINI", m_previousIni);
    }

    void exec(const QString& sql) { Command(m_db, sql).execute(); }
    Database& db() { return m_db; }
    QString iniPath() const { return m_dir.filePath(QStringLiteral("odbc.ini")); }

    // Rewrites odbc.ini; `legacyDsn` false leaves "Tabel" out.
    void writeIni(const QString& targetDatabase, bool legacyDsn = true)
    {
        QFile ini(iniPath());
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QTextStream out(&ini);
        if (legacyDsn)
            out << "[Tabel]\nDriver=SQLite3\nDatabase=" << m_dir.filePath(QStringLiteral("legacy.db")) << "\n\n";
        out << "[Tabel_PgSQL]\nDriver=PostgreSQL Unicode\nServername=localhost\nPort=5432\nDatabase=" << targetDatabase
            << "\nUsername=sys\nPassword=vumbrex\n";
        out.flush();
        qputenv("ODBCINI", iniPath().toLocal8Bit());
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_previousIni;
    Database m_db;
};

// A small legacy workshop: four workers (the fourth without records), three
// kinds, three products in two groups, three operations, one timesheet row
// with empty days and three shift records on 2 March 2026.
inline void fillSmallLegacy(LegacySource& legacy, TestDatabase& target)
{
    legacy.exec("insert into WORKERS values (1, 'Иванов И.И.', 'ул. Ленина, 1'), (2, 'Петров П.П.', null), "
                "(3, 'О''Брайен Д.', 'пер. Тихий'), (4, 'Без записей Б.Б.', null)");
    legacy.exec("insert into VID_OPER values (1, 'Резка'), (2, 'Окраска КРАСКА'), (7777, 'хоз. работы')");
    legacy.exec("insert into IZDEL values (10, 'СТ-100', 'Стулья', 0.5), (11, 'СТ-200', 'Стулья', 1.25), "
                "(12, 'Т-1', 'Столы', null)");
    legacy.exec("insert into NOMENKL values ('СТ-100', 'Стулья'), ('Т-1', 'Столы')");
    legacy.exec("insert into OPER values (100, 1, 0, 2.5, 10), (101, 2, 1, 3.75, 11), (102, 1, 0, null, 12)");
    legacy.exec("insert into H_TABEL (id, w_id, month, year, smena, d1, d2, d31) values (1, 1, 3, 2026, 1, 8, null, 4)");
    target.exec("insert into public.smena values "
                "(1, 1, 10, 100, 10, 1, 1, 2.5, 0, 'ok', '2026-03-02', 8, '2026-03-02 08:15:00'), "
                "(2, 2, 11, 101, 5, 0, 1, 3.75, 3, 'no', '2026-03-02', 4, '2026-03-02 09:00:00'), "
                "(3, 3, 12, 102, 7, null, 2, 1.5, null, 'ok', '2026-03-02', null, null)");
}

// What the workshop's database held before the import: rows the import
// replaces, a row with id 0 it must leave alone, and a group the imported
// products must reuse.
inline void fillCurrentWorkshop(TestDatabase& db)
{
    db.exec("insert into accounts_dep.person (id, fio) values (1, 'Старый И.И.'), (50, 'Новый Н.Н.')");
    db.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Старая резка'), (9, 'Шлифовка')");
    db.exec("insert into cmn_classifier.item (id, s_caption) values (500, 'Столы')");
    db.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values (1001, 'СТАРОЕ', 2, 500)");
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (300, 9, 1001, 0)");
    db.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (300, 1, 0, 9.5)");
    db.exec("insert into accounts_dep.smena (id, data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
            "values (700, '01.02.2026', 1, 50, 1001, 300, 9.5, 3, 0, 2, 'ok')");
    db.exec("insert into accounts_dep.h_tabel (id, w_id, smena, month, year, d1) values (0, 50, 1, 2, 2026, 2), "
            "(800, 50, 1, 2, 2026, 2)");
    db.exec("insert into accounts_dep.workers values (60, 'Старый работник', null)");
    db.exec("insert into accounts_dep.nomenkl (marka, nom) values ('СТАРОЕ', 'Столы')");
    db.exec("select setval(pg_get_serial_sequence('accounts_dep.smena', 'id'), 700), "
            "setval(pg_get_serial_sequence('accounts_dep.h_tabel', 'id'), 800), "
            "setval(pg_get_serial_sequence('accounts_dep.person', 'id'), 50), "
            "setval(pg_get_serial_sequence('accounts_dep.vid_oper', 'id'), 9), "
            "setval(pg_get_serial_sequence('accounts_dep.oper', 'id'), 300)");
}

// Everything the import may write, as one text per table, to compare
// before and after. Nomenclature rows are compared without their key,
// which the table assigns anew on every import.
inline QStringList workshopSnapshot(TestDatabase& db)
{
    const struct {
        const char* table;
        const char* row;
    } tables[] = {
        {"accounts_dep.h_tabel", "t::text"},
        {"accounts_dep.izdel", "t::text"},
        {"accounts_dep.oper", "t::text"},
        {"accounts_dep.vid_oper", "t::text"},
        {"accounts_dep.workers", "t::text"},
        {"accounts_dep.smena", "t::text"},
        {"accounts_dep.person", "t::text"},
        {"cmn_contractor.person", "t::text"},
        {"cmn_classifier.item", "t::text"},
        {"cmn_gds_and_srv.gds_and_srv", "t::text"},
        // Norms of the operations that return keep every column, their key included.
        {"accounts_dep.norm", "t::text"},
        {"accounts_dep.nomenkl", "concat_ws('/', marka, nom)"},
    };
    QStringList out;
    for (const auto& t : tables)
        out << QStringLiteral("%1: %2").arg(QLatin1String(t.table),
                                            db.scalar(QStringLiteral("select string_agg(%2, ' | ' order by %2) from %1 t")
                                                          .arg(QLatin1String(t.table), QLatin1String(t.row)))
                                                .toString());
    return out;
}

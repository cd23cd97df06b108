#include "db/Command.h"
#include "db/Dataset.h"
#include "db/DatasetModel.h"
#include "db/DbError.h"
#include "tests/support/TestDatabase.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <clocale>
#include <string>
#include <gtest/gtest.h>

namespace {

class DatasetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* fio : {"Петров П.П.", "Иванов И.И.", "иванова А.А.", "О'Брайен Д.", "Фёдоров Ф.Ф.", "Сидоров_С"})
            db.exec(QStringLiteral("insert into accounts_dep.person (fio, s_staffpos_hl) values ('%1', 'Маляр')")
                        .arg(QString::fromUtf8(fio).replace("'", "''")));
    }

    QStringList names(Dataset& q)
    {
        QStringList out;
        for (int r = 0; r < q.recordCount(); ++r)
            out << q.valueAt(r, "fio").toString();
        return out;
    }

    TestDatabase db;
};

} // namespace

TEST_F(DatasetTest, FiltersOverRealRows)
{
    Dataset q(db.db(), "Workers");
    q.setSql("select * from accounts_dep.person order by id");
    q.open();
    ASSERT_EQ(q.recordCount(), 6);

    struct Case {
        QString filter;
        QStringList expected;
    };
    const Case cases[] = {
        {filterLikePrefix("fio", "иван"), {"Иванов И.И.", "иванова А.А."}},
        {filterLikeContains("fio", "ов"), {"Петров П.П.", "Иванов И.И.", "иванова А.А.", "Фёдоров Ф.Ф.", "Сидоров_С"}},
        {filterLikePrefix("fio", "О'Б"), {"О'Брайен Д."}},
        {filterLikeContains("fio", "_"), {"Сидоров_С"}},
        {filterLikePrefix("FIO", "фЁ"), {"Фёдоров Ф.Ф."}},
        {"id=2", {"Иванов И.И."}},
        {"id<>2 and id<=3", {"Петров П.П.", "иванова А.А."}},
        {"", {"Петров П.П.", "Иванов И.И.", "иванова А.А.", "О'Брайен Д.", "Фёдоров Ф.Ф.", "Сидоров_С"}},
    };
    for (const Case& c : cases) {
        q.setFilter(c.filter);
        q.setFiltered(true);
        EXPECT_EQ(names(q), c.expected) << c.filter.toStdString();
        EXPECT_EQ(q.recNo(), c.expected.isEmpty() ? 0 : 1);
    }
    q.setFiltered(false);
    EXPECT_EQ(q.recordCount(), 6);
}

TEST_F(DatasetTest, NavigationAndRecordNumberAcrossFilterAndReopen)
{
    Dataset q(db.db());
    q.setSql("select * from accounts_dep.person order by id");
    q.open();
    q.setRecNo(4);
    EXPECT_EQ(q.field("FIO").asString(), "О'Брайен Д.");   // any letter case
    q.next();
    q.next();
    EXPECT_EQ(q.recNo(), 6);
    EXPECT_FALSE(q.eof());
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.recNo(), 6);

    q.setFilter(filterLikePrefix("fio", "и"));
    q.setFiltered(true);
    EXPECT_EQ(q.recNo(), 1);
    q.last();
    EXPECT_EQ(q.recNo(), 2);
    q.setFiltered(false);
    EXPECT_EQ(q.recNo(), 1);
    q.setRecNo(3);
    q.close();
    EXPECT_FALSE(q.isOpen());
    EXPECT_EQ(q.recNo(), 0);
    q.open();
    EXPECT_EQ(q.recNo(), 1);

    EXPECT_TRUE(q.locate("fio", "ФЁДОРОВ", Dataset::CaseInsensitive | Dataset::PartialKey));
    EXPECT_EQ(q.field("id").asInt(), 5);
    EXPECT_TRUE(q.locate("id", 2));
    EXPECT_EQ(q.recNo(), 2);
    EXPECT_FALSE(q.locate("id", 99));
    EXPECT_EQ(q.recNo(), 2);

    q.setSort("fio desc");
    EXPECT_EQ(q.field("id").asInt(), 2);   // the current row stays current
    EXPECT_EQ(q.valueAt(0, "fio").toString(), "Фёдоров Ф.Ф.");
    EXPECT_THROW(q.field("nosuch"), DbError);
}

TEST_F(DatasetTest, ParametersTypesAndErrors)
{
    db.exec("insert into accounts_dep.ver (d, t, delim) values (1, 2, ',')");
    Dataset q(db.db());
    q.setSql("select :d::date as d, :n as n, 12.3457::numeric(10,4) as exact, 'абв'::char(10) as padded, "
             "null::integer as nothing from accounts_dep.ver where delim = :sep");
    q.setParam("d", QDate(2026, 3, 1));
    q.setParam("n", 42);
    q.setParam("sep", ",");
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.field("d").asDate(), QDate(2026, 3, 1));
    EXPECT_EQ(q.field("n").asInt(), 42);
    EXPECT_EQ(q.field("exact").asString(), "12.3457");   // exact decimals keep their digits
    EXPECT_DOUBLE_EQ(q.field("exact").asFloat(), 12.3457);
    EXPECT_EQ(q.field("padded").asTrimmed(), "абв");
    EXPECT_TRUE(q.field("nothing").isNull());
    EXPECT_EQ(q.field("nothing").asInt(), 0);

    // The grid shows the exact decimal the Russian way and the padded text trimmed.
    DatasetModel model(&q);
    const int exact = q.fieldIndex("exact"), padded = q.fieldIndex("padded");
    EXPECT_EQ(model.data(model.index(0, exact)).toString(), "12,3457");
    EXPECT_EQ(model.data(model.index(0, padded)).toString(), "абв");

    Dataset bad(db.db());
    bad.setSql("select * from accounts_dep.no_such_table");
    try {
        bad.open();
        FAIL() << "expected a database error";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains("no_such_table")) << e.text().toStdString();
        EXPECT_FALSE(e.text().contains("Error while executing")) << e.text().toStdString();
    }
    EXPECT_FALSE(bad.isOpen());
}

TEST_F(DatasetTest, UpdatableRowsInsertEditDelete)
{
    Dataset kinds(db.db(), "Vid_oper");
    kinds.setSql("select * from accounts_dep.VID_OPER order by vid");
    kinds.setUpdateTable("accounts_dep.vid_oper", "id");
    kinds.open();
    kinds.append();
    kinds.setValue("VID", "Резка 'под углом' 50%");
    kinds.post();
    const int id = kinds.field("id").asInt();
    EXPECT_GT(id, 0);   // the id the database assigned
    EXPECT_EQ(db.scalar(QStringLiteral("select trim(vid) from accounts_dep.vid_oper where id=%1").arg(id)).toString(),
              "Резка 'под углом' 50%");

    kinds.edit();
    kinds.setValue("vid", "Гибка");
    kinds.post();
    EXPECT_EQ(db.scalar(QStringLiteral("select trim(vid) from accounts_dep.vid_oper where id=%1").arg(id)).toString(), "Гибка");

    kinds.edit();
    kinds.setValue("vid", "Отменено");
    kinds.cancel();
    EXPECT_EQ(kinds.field("vid").asTrimmed(), "Гибка");

    kinds.close();
    kinds.open();
    EXPECT_EQ(kinds.recordCount(), 1);
    EXPECT_EQ(kinds.field("vid").asString().size(), 128);   // fixed length read back padded
    kinds.remove();
    EXPECT_EQ(kinds.recordCount(), 0);
    EXPECT_EQ(db.count("select count(*) from accounts_dep.vid_oper"), 0);
}

TEST_F(DatasetTest, MovingAwayFromAPendingRowPostsItToThatRow)
{
    db.exec("insert into accounts_dep.vid_oper (vid) values ('А'), ('Б')");
    Dataset kinds(db.db());
    kinds.setSql("select id, trim(vid) as vid from accounts_dep.vid_oper order by vid");
    kinds.setUpdateTable("accounts_dep.vid_oper", "id");
    kinds.open();
    kinds.setValue("vid", "А2");   // an edit of the first row
    kinds.next();                  // leaving it posts it
    EXPECT_EQ(kinds.state(), Dataset::State::Browse);
    kinds.append();
    kinds.setValue("vid", "В");
    kinds.setRecNo(1);             // leaving the new row posts it
    EXPECT_EQ(db.count("select count(*) from accounts_dep.vid_oper where vid='А2'"), 1);
    EXPECT_EQ(db.count("select count(*) from accounts_dep.vid_oper where vid='Б'"), 1);
    EXPECT_EQ(db.count("select count(*) from accounts_dep.vid_oper where vid='В'"), 1);
    EXPECT_EQ(kinds.field("vid").asString(), "А2");
}

TEST_F(DatasetTest, RefusedDeleteLeavesRowsAsTheyWere)
{
    db.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка')");
    db.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption) values (10, 'СТ-1')");
    db.exec("insert into accounts_dep.oper (vid, i_id, naimen) values (1, 10, 0)");
    Dataset kinds(db.db());
    kinds.setSql("select * from accounts_dep.vid_oper");
    kinds.setUpdateTable("accounts_dep.vid_oper", "id");
    kinds.open();
    EXPECT_THROW(kinds.remove(), DbError);
    EXPECT_EQ(kinds.recordCount(), 1);
    EXPECT_EQ(db.count("select count(*) from accounts_dep.vid_oper"), 1);
}

TEST_F(DatasetTest, FifteenDigitKeysReadExactlyAndNeverWrapIntoA32BitInt)
{
    // Keys of the enterprise tables are 15-digit exact numbers; they arrive
    // as text. Numbers other programs wrote may carry zero decimals.
    db.exec("insert into cmn_department.department (id, s_caption) values "
            "(3000000001, 'Цех №1'), (999999999999999, 'Склад'), (2147483647, 'Край'), (12, 'Малый')");
    Dataset q(db.db());
    q.setSql("select id, s_caption, id::numeric(18, 3) as scaled from cmn_department.department order by id");
    q.open();
    struct Case {
        qlonglong id;
        bool fitsInt;
    };
    const Case cases[] = {{12, true}, {2147483647, true}, {3000000001, false}, {999999999999999, false}};
    ASSERT_EQ(q.recordCount(), 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(q.field("id").asLongLong(), c.id);
        EXPECT_EQ(q.field("scaled").asLongLong(), c.id);   // "3000000001.000"
        if (c.fitsInt)
            EXPECT_EQ(q.field("id").asInt(), int(c.id));
        else
            EXPECT_THROW(q.field("id").asInt(), DbError);   // refused, not wrapped
        q.next();
    }
    EXPECT_EQ(Field(QVariant("-42"), "x").asLongLong(), -42);
    EXPECT_EQ(Field(QVariant("10.000"), "x").asInt(), 10);
    EXPECT_THROW(Field(QVariant("abc"), "x").asLongLong(), DbError);
}

// A dataset reads its rows from the ODBC statement itself; every value must
// be what Qt's driver gives for it: the same type, NULLs alike, the same
// text to the last character (Cyrillic, a text longer than the read buffer
// with a character split at the buffer's end, padded and empty texts, exact
// decimals with many digits). Columns of other kinds (time, bytes, oid) are
// read through Qt's driver and must come out the same as well.
TEST_F(DatasetTest, ReadsEveryKindOfColumnAsTheQtDriverDoes)
{
    // The driver gives narrow texts in the C library's character set: read
    // under a UTF-8 one and under plain "C" (ASCII), as a program started
    // without a language setting runs.
    for (const char* locale : {"C.UTF-8", "C"}) {
        SCOPED_TRACE(locale);
        struct Restore {
            std::string was = std::setlocale(LC_CTYPE, nullptr);
            ~Restore() { std::setlocale(LC_CTYPE, was.c_str()); }
        } restore;
        ASSERT_NE(std::setlocale(LC_CTYPE, locale), nullptr);
        const QString sql = QStringLiteral(
            "select * from (values "
            "(1::smallint, 2::integer, 3000000001::bigint, 4.50::numeric(10,2), 5.5::real, 6.25::double precision, "
            " 'Ёжик в тумане'::text, 'ab'::varchar(5), 'в'::char(3), date '2026-01-02', "
            " timestamp '2026-01-02 03:04:05.678', true, 123456789012345.123456789012345::numeric, "
            " 'a' || repeat('Ж', 6000) || 'я', ''::text, -7::smallint), "
            "(-32768, -2147483648, -9223372036854775807, -0.01, -1e30, 1e-300, 'O''Brien', '', '', date '1900-02-28', "
            " timestamp '1999-12-31 23:59:59', false, 0, repeat('ab', 5000), ' ', 0), "
            "(null, null, null, null, null, null, null, null, null, null, null, null, null, null, null, null)) "
            "v(sm, i, bi, n, r, d, t, vc, ch, dt, ts, b, nn, long_text, empty, sm2)");
        const QString fallbackSql = QStringLiteral(
            "select * from (values (time '01:02:03', 'xy'::bytea, 7::oid, 'Ц'::text), (null, null, null, null)) v(tm, ba, o, t)");

        for (const QString& text : {sql, fallbackSql}) {
            QSqlQuery reference(db.db().handle());
            reference.setForwardOnly(true);
            reference.setNumericalPrecisionPolicy(QSql::HighPrecision);
            ASSERT_TRUE(reference.exec(text));
            QVector<QVector<QVariant>> expected;
            while (reference.next()) {
                QVector<QVariant> row;
                for (int c = 0; c < reference.record().count(); ++c)
                    row << reference.value(c);
                expected << row;
            }

            Dataset q(db.db());
            q.setSql(text);
            q.open();
            ASSERT_EQ(q.recordCount(), expected.size());
            ASSERT_EQ(q.fieldNames().size(), expected.first().size());
            for (int r = 0; r < expected.size(); ++r) {
                for (int c = 0; c < expected[r].size(); ++c) {
                    SCOPED_TRACE(QStringLiteral("row %1, column %2").arg(r).arg(q.fieldNames().at(c)).toStdString());
                    const QVariant want = expected[r][c], got = q.valueAt(r, c);
                    EXPECT_EQ(got.metaType(), want.metaType());
                    EXPECT_EQ(got.isNull(), want.isNull());
                    EXPECT_EQ(got, want);
                    EXPECT_EQ(got.toString(), want.toString());
                    EXPECT_EQ(got.toString().isNull(), want.toString().isNull());
                }
            }
        }

        // The long text came through whole.
        Dataset q(db.db());
        q.setSql(sql);
        q.open();
        EXPECT_EQ(q.field("long_text").asString(), QStringLiteral("a") + QString(6000, QChar(0x0416)) + QStringLiteral("я"));
        EXPECT_EQ(q.field("t").asString(), QStringLiteral("Ёжик в тумане"));
    }
}

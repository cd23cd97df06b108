#include "ledger/TimesheetSql.h"
#include "db/Dataset.h"
#include "ledger/MonthRange.h"

#include <QStringList>

namespace TimesheetSql {

QString daySums()
{
    QStringList parts;
    for (int d = 1; d <= 31; ++d)
        parts << QStringLiteral("sum( h. d%1 ) as d%1").arg(d);
    return parts.join(QStringLiteral(" , "));
}

QString hTabelPrint()
{
    QStringList sums;
    for (int d = 1; d <= 31; ++d)
        sums << QStringLiteral("sum(d%1) as sd%1").arg(d);
    return QStringLiteral("select person.s_caption fio,") + sums.join(u',')
        + QStringLiteral(" from accounts_dep.h_tabel, cmn_contractor.person person where "
                         "h_tabel.w_id=person.s_code::t_integer and month=:mnth and year=:yea group by fio order by fio");
}

QString hTabel0()
{
    return QStringLiteral(
               "select p.s_caption fio, p.id,h.i_type, "
               "(select sum(s.time) from accounts_dep.smena s where s.data<:d_date1 and s.data>=:d_date2 and s.w_id=p.id) i_time, "
               "(select sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s where s.data<:d_date3 and s.data>=:d_date4 and s.w_id=p.id) f_price, "
               "(select case when coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else coalesce(sum((s.kol_vo-s.brak)*s.cena)/sum(time),0)::numeric(10,2) end "
               "from accounts_dep.smena s where s.data<:d_date5 and s.data>=:d_date6 and s.w_id=p.id) average_price, ")
        + daySums()
        + QStringLiteral(" from cmn_contractor.person p, accounts_dep.h_tabel h where h.year=:i_year and h.month=:i_month "
                         "and h.w_id=p.id and i_type=0 group by p.id, p.s_caption, h.i_type order by fio");
}

QString hTabelTyped(int kind)
{
    const QString k = QString::number(kind);
    return QStringLiteral(
               "select p.s_caption fio, p.id,h.i_type, case when h.i_night=0 then 'дн.' else 'ноч.' end as s_night, h.i_night, "
               "(select sum(f.cnt) from accounts_dep.fatigue f where f.d_date<:d_date1 and f.d_date>=:d_date2 and f.id_p=p.id and f.id_o=%1 and f.i_night=h.i_night) i_time, "
               "(select sum(f.cnt*f.price)::numeric(10,2) from accounts_dep.fatigue f where f.d_date<:d_date3 and f.d_date>=:d_date4 and f.id_p=p.id and f.id_o=%1 and f.i_night=h.i_night) f_price, "
               "(select case when coalesce(sum(f.cnt),0)::numeric(10,2)=0 then 0 else coalesce(sum((f.cnt*f.price))/sum(f.cnt),0)::numeric(10,2) end "
               "from accounts_dep.fatigue f where f.d_date<:d_date5 and f.d_date>=:d_date6 and f.id_p=p.id and f.id_o=%1 and f.i_night=h.i_night) average_price, ")
               .arg(k)
        + daySums()
        + QStringLiteral(" from cmn_contractor.person p, accounts_dep.h_tabel h where h.year=:i_year and h.month=:i_month "
                         "and h.w_id=p.id and i_type=%1 group by p.id, p.s_caption, h.i_type, h.i_night order by fio")
              .arg(k);
}

QString hTabelAll()
{
    return QStringLiteral(
               "select p.s_caption fio, p.id, "
               "coalesce((select sum(s.time) from accounts_dep.smena s where s.data<:d_date1 and s.data>=:d_date2 and s.w_id=p.id),0)+ "
               "coalesce((select sum(f.cnt) from accounts_dep.fatigue f where f.d_date<:d_date7 and f.d_date>=:d_date8 and f.id_p=p.id),0) i_time, "
               "coalesce((select sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s where s.data<:d_date3 and s.data>=:d_date4 and s.w_id=p.id),0)+ "
               "coalesce((select sum(f.cnt*f.price)::numeric(10,2)from accounts_dep.fatigue f where f.d_date<:d_date5 and f.d_date>=:d_date6 and f.id_p=p.id),0) f_price, ")
        + daySums()
        + QStringLiteral(" from cmn_contractor.person p, accounts_dep.h_tabel h where h.year=:i_year and h.month=:i_month "
                         "and h.w_id=p.id group by p.id, p.s_caption order by fio");
}

QString price()
{
    return QStringLiteral("select sum((s.kol_vo-s.brak)*s.cena)::numeric(100,2) as price from accounts_dep.smena s "
                          "where s.data<:d_date1 and s.data>=:d_date2 and s.cena>0 and s.kol_vo>0");
}

QString priceTyped(int kind)
{
    return QStringLiteral("select sum(f.cnt*f.price)::numeric(100,2) as price from accounts_dep.fatigue f "
                          "where f.d_date<:d_date1 and f.d_date>=:d_date2 and f.cnt>0 and f.price>0 and f.id_o=%1")
        .arg(kind);
}

QString allPrice()
{
    return QStringLiteral(
        "select( (coalesce((select sum((s.kol_vo-s.brak)*s.cena) from accounts_dep.smena s where s.data<:d_date1 and "
        "s.data>=:d_date2 and s.cena>0 and s.kol_vo>0),0)+ coalesce((select sum(f.cnt*f.price) from accounts_dep.fatigue f "
        "where f.d_date<:d_date3 and f.d_date>=:d_date4 and f.cnt>0 and f.price>0),0))::numeric(20,2)) price");
}

QString qYear()
{
    return QStringLiteral("select distinct ht.year from accounts_dep.h_tabel ht order by year");
}

void bindPayMonth(Dataset& q, const MonthRange& month, int pairs)
{
    // Odd d_date* the next month's first day, even ones the month's first day.
    const bool known = month.year > 0;
    for (int i = 1; i <= 2 * pairs; ++i) {
        const QDate bound = i % 2 == 1 ? month.next() : month.first();
        q.setParam(QStringLiteral("d_date%1").arg(i), known ? QVariant(bound) : QVariant(QMetaType(QMetaType::QDate)));
    }
    q.setParam(QStringLiteral("i_month"), month.month);
    q.setParam(QStringLiteral("i_year"), known ? QVariant(month.year) : QVariant(QMetaType(QMetaType::Int)));
}

void bindPrintMonth(Dataset& q, const MonthRange& month)
{
    q.setParam(QStringLiteral("mnth"), month.month);
    q.setParam(QStringLiteral("yea"), month.year);
}

} // namespace TimesheetSql

#include "db/SharedSql.h"

#include <QDate>
#include <QStringList>

namespace SharedSql {

QString workers()
{
    return QStringLiteral("select * from accounts_dep.person order by fio");
}

QString izdel()
{
    return QStringLiteral("select *  from accounts_dep.IZDEL order by marka");
}

QString vidOper()
{
    return QStringLiteral("select * from accounts_dep.VID_OPER order by vid");
}

QString oper()
{
    return QStringList{
        QStringLiteral("select izdel.MARKA, vid_oper.VID, oper.NAIMEN, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn,"),
        QStringLiteral("count(o_id) norma, min(price)::numeric cena,"),
        QStringLiteral("oper.id, oper.i_id, oper.VID as oper_vid from accounts_dep.norm,accounts_dep.OPER,accounts_dep.IZDEL,accounts_dep.VID_OPER where OPER.i_id=IZDEL.id and norm.o_id=oper.id"),
        QStringLiteral("and oper.vid=vid_oper.id group by izdel.MARKA, vid_oper.VID, oper.NAIMEN, oper.id, oper.i_id, oper.VID order by izdel.marka, vid_oper.vid, oper.naimen"),
    }.join(u'\n');
}

QString smena(int shift)
{
    const QString fio = (shift == 2 || shift == 3) ? QStringLiteral("s_caption fio") : QStringLiteral("person.s_caption fio");
    const QString accept = shift == 1 ? QStringLiteral("ok!=:ok") : QStringLiteral("ok<>:ok");
    const QString order = shift == 1 ? QStringLiteral("fio, izdel.marka, vid_oper.vid, oper.naimen, color")
                                     : QStringLiteral("order by fio");
    const QString tail = shift == 1 ? QStringLiteral("order by ") : QString();
    return QStringList{
        QStringLiteral("select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, "),
        QStringLiteral("smena.cena,%1, izdel.marka, vid_oper.vid, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.naimen,  smena.brak, smena.kol_vo::numeric,").arg(fio),
        QStringLiteral("round((kol_vo-brak)*smena.cena::numeric, 2) as summa, smena.prize, color,time, smena.ok, vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use"),
        QStringLiteral("from cmn_contractor.person person, accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper "),
        QStringLiteral("where smena.i_id=izdel.id and smena.o_id=oper.id and (w_id=person.id or s_code::t_id=w_id) and "),
        QStringLiteral("oper.vid=vid_oper.id and smena.smena=%1 and smena.data=:data and %2 %3").arg(shift).arg(accept, tail),
        order,
    }.join(u'\n');
}

QString hiddenMark()
{
    return QStringLiteral("ta");
}

QString daySum()
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QStringLiteral("coalesce(d%1,0)").arg(d);
    return days.join(u'+');
}

QString hTabel(int shift)
{
    const QString sum = daySum();
    return QStringList{
        QStringLiteral("select person.s_caption fio, "),
        QStringLiteral("(%1) as summ, ").arg(sum),
        QStringLiteral("case when (%1)=0 then 0 else").arg(sum),
        QStringLiteral("(sum(s.cena*(kol_vo-brak))/(%1)) end ::numeric(10,2) as average_price, sum(s.cena*(kol_vo-brak))::numeric(10,2) as cena_all,").arg(sum),
        QStringLiteral("h_tabel.*"),
        QStringLiteral("from accounts_dep.h_tabel, cmn_contractor.person, accounts_dep.smena s where "),
        QStringLiteral("h_tabel.w_id=person.s_code::integer and h_tabel.smena=%1 and month=:mnth and s.w_id = h_tabel.w_id and").arg(shift),
        QStringLiteral("h_tabel.year=:yea and s.data >=:date1 and s.data <:date2"),
        QStringLiteral("group by person.s_caption,h_tabel.w_id,h_tabel.month,h_tabel.year,h_tabel.smena,h_tabel.id "),
        QStringLiteral("order by fio"),
    }.join(u'\n');
}

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace SharedSql

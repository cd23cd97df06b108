#include "tests/reports/GivenStatements.h"

#include "db/Dataset.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace Given {

QString workersReportSql()
{
    return QStringList{
        "select person.s_caption fio, sum(smena.kol_vo-smena.brak)::numeric(10,2) as kolvo,vid_oper.vid, ",
        "sum((kol_vo-brak)*smena.cena)::numeric(10,2) as summa,izdel.nom, oper.naimen, color,",
        "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum7 from accounts_dep.fatigue f where f.d_date<:data4 and f.d_date>=:data3 and f.id_p=smena.w_id and f.id_nom=izdel.id_nom and f.id_o=7777),",
        "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum8 from accounts_dep.fatigue f where f.d_date<:data6 and f.d_date>=:data5 and f.id_p=smena.w_id and f.id_nom=izdel.id_nom and f.id_o=7778),",
        "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum78 from accounts_dep.fatigue f where f.d_date<:data8 and f.d_date>=:data7 and f.id_p=smena.w_id),",
        "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum7_all from accounts_dep.fatigue f where f.d_date<:data10 and f.d_date>=:data9 and f.id_o=7777),",
        "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum8_all from accounts_dep.fatigue f where f.d_date<:data12 and f.d_date>=:data11 and f.id_o=7778)",
        "from cmn_contractor.person person,accounts_dep.smena,accounts_dep.izdel,accounts_dep.vid_oper,",
        "accounts_dep.oper where w_id=s_code::integer and izdel.id=smena.i_id and vid_oper.id=oper.vid",
        "and oper.id=smena.o_id and smena.data<:data2 and smena.data>=:data1",
        "group by fio, izdel.nom, vid_oper.vid, smena.w_id, izdel.id_nom, oper.naimen, color",
        "order by fio, izdel.nom",
    }.join(QLatin1Char('\n'));
}

QString detailedWorkersReportSql()
{
    return QStringList{
        "select s_caption fio, izdel.marka, vid_oper.vid, oper.naimen, sum(time) as sum_time,",
        "sum(smena.kol_vo)::numeric as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*",
        "smena.cena) as summa, color, sum(prize*(kol_vo-brak)*cena/100) as s_prize,",
        "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum7 from accounts_dep.fatigue f where f.d_date<:data2 and f.d_date>=:data1 and f.id_p=smena.w_id and f.id_o=7777 and f.i_night=0),",
        "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum7_n from accounts_dep.fatigue f where f.d_date<:data4 and f.d_date>=:data3 and f.id_p=smena.w_id and f.id_o=7777 and f.i_night=1),",
        "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum8 from accounts_dep.fatigue f where f.d_date<:data6 and f.d_date>=:data5 and f.id_p=smena.w_id and f.id_o=7778 and f.i_night=0),",
        "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum8_n from accounts_dep.fatigue f where f.d_date<:data8 and f.d_date>=:data7 and f.id_p=smena.w_id and f.id_o=7778 and f.i_night=1),",
        "(select coalesce(sum(f.cnt),0)::numeric(10,2) f_sum7h from accounts_dep.fatigue f where f.d_date<:data12 and f.d_date>=:data11 and f.id_p=smena.w_id and f.id_o=7777 and f.i_night=0),",
        "(select coalesce(sum(f.cnt),0)::numeric(10,2) f_sum7h_n from accounts_dep.fatigue f where f.d_date<:data14 and f.d_date>=:data13 and f.id_p=smena.w_id and f.id_o=7777 and f.i_night=1),",
        "(select coalesce(sum(f.cnt),0)::numeric(10,2) f_sum8h from accounts_dep.fatigue f where f.d_date<:data16 and f.d_date>=:data15 and f.id_p=smena.w_id and f.id_o=7778 and f.i_night=0),",
        "(select coalesce(sum(f.cnt),0)::numeric(10,2) f_sum8h_n from accounts_dep.fatigue f where f.d_date<:data18 and f.d_date>=:data17 and f.id_p=smena.w_id and f.id_o=7778 and f.i_night=1)",
        "from cmn_contractor.person person,accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper ",
        "where smena.o_id=oper.id and smena.w_id=s_code::integer and smena.i_id=izdel.id ",
        "and smena.o_id=oper.id and w_id=s_code::integer and oper.vid=vid_oper.id ",
        "and smena.data<:data10 and smena.data>=:data9 ",
        "group by fio, marka,vid_oper.vid, oper.naimen, color, w_id ",
        "order by fio, marka, vid_oper.vid, oper.naimen",
    }.join(QLatin1Char('\n'));
}

Rows readRows(Database& db, const QString& sql, int parameterCount, const QDate& from, const QDate& to,
              const QStringList& columns, bool skipMaintenance, const QStringList& perWorker)
{
    Dataset q(db);
    q.setSql(sql);
    for (int i = 1; i <= parameterCount; ++i)
        q.setParam(QStringLiteral("data%1").arg(i), i % 2 == 1 ? from : to);
    q.open();
    Rows out;
    out.columns = columns.isEmpty() ? q.fieldNames() : columns;
    QVector<int> indexes;
    for (const QString& c : out.columns)
        indexes << q.fieldIndex(c);
    const int maint = q.fieldIndex(QStringLiteral("maint"));
    const int worker = q.fieldIndex(QStringLiteral("w_id"));
    QHash<QString, int> maintenanceRow;   // w_id -> row
    for (int r = 0; r < q.recordCount() && maint >= 0 && worker >= 0; ++r) {
        if (q.valueAt(r, maint).toInt() == 1)
            maintenanceRow.insert(q.valueAt(r, worker).toString(), r);
    }
    for (int r = 0; r < q.recordCount(); ++r) {
        const bool isMaintenance = maint >= 0 && q.valueAt(r, maint).toInt() == 1;
        if (skipMaintenance && isMaintenance)
            continue;
        QStringList values;
        QVector<double> floats;
        for (int i = 0; i < indexes.size(); ++i) {
            const int c = indexes[i];
            QVariant v = c < 0 ? QVariant(QStringLiteral("<no column>")) : q.valueAt(r, c);
            if (!isMaintenance && c >= 0 && perWorker.contains(out.columns[i], Qt::CaseInsensitive)) {
                if (!v.isNull())
                    values << QStringLiteral("<not empty>");
                const auto it = maintenanceRow.constFind(q.valueAt(r, worker).toString());
                v = it == maintenanceRow.constEnd() ? QVariant(QStringLiteral("0.00")) : q.valueAt(*it, c);
            }
            if (v.isNull())
                values << QStringLiteral("<null>");
            else if (c >= 0 && q.fieldType(c).id() == QMetaType::Double) {
                // Exact decimals arrive as their text; all compare as numbers,
                // beside the texts.
                values << QStringLiteral("#");
                floats << v.toDouble();
            } else {
                values << v.toString();
            }
        }
        out.rows << values.join(QLatin1Char('|'));
        out.floats << floats;
    }
    QVector<int> order(out.rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int x, int y) {
        if (out.rows[x] != out.rows[y])
            return out.rows[x] < out.rows[y];
        return out.floats[x] < out.floats[y];
    });
    Rows sorted;
    sorted.columns = out.columns;
    for (int i : order) {
        sorted.rows << out.rows[i];
        sorted.floats << out.floats[i];
    }
    return sorted;
}

bool sameRows(const Rows& a, const Rows& b, QString* difference)
{
    auto differ = [&](const QString& text) {
        if (difference)
            *difference = text;
        return false;
    };
    if (a.columns != b.columns)
        return differ(QStringLiteral("columns: %1 / %2").arg(a.columns.join(','), b.columns.join(',')));
    if (a.rows.size() != b.rows.size())
        return differ(QStringLiteral("%1 rows / %2 rows").arg(a.rows.size()).arg(b.rows.size()));
    for (int r = 0; r < a.rows.size(); ++r) {
        bool same = a.rows[r] == b.rows[r] && a.floats[r].size() == b.floats[r].size();
        for (int i = 0; same && i < a.floats[r].size(); ++i) {
            const double x = a.floats[r][i], y = b.floats[r][i];
            same = std::fabs(x - y) <= 1e-9 * std::max({1.0, std::fabs(x), std::fabs(y)});
        }
        if (!same) {
            auto numbers = [](const QVector<double>& v) {
                QStringList out;
                for (double d : v)
                    out << QString::number(d, 'g', 17);
                return out.join(QLatin1Char(' '));
            };
            return differ(a.rows[r] + QLatin1Char(' ') + numbers(a.floats[r]) + QStringLiteral(" / ") + b.rows[r]
                          + QLatin1Char(' ') + numbers(b.floats[r]));
        }
    }
    return true;
}

} // namespace Given

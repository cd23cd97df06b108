#include "ledger/MaintenanceJournal.h"
#include "db/TDataModule6.h"
#include "ledger/DayPosting.h"
#include "ledger/PriceRule.h"
#include "ledger/MaintenanceEntry.h"

#include <QLocale>

namespace MaintenanceJournal {

namespace {

QString num(int v)
{
    return QString::number(v);
}

// The first day of a month as a date the database reads whatever its style.
QString firstDay(int month, int year)
{
    return QStringLiteral("to_date('01.") + num(month) + QStringLiteral(".") + num(year)
        + QStringLiteral("', 'DD.MM.YYYY')");
}

// Exact decimals arrive as text; prices show up to 4 places, sums 2.
qint64 unitsOf(const QVariant& value)
{
    return PriceRule::units(value.toString().trimmed().toDouble());
}

QString priceText(const QVariant& value)
{
    return value.isNull() ? QString() : PriceRule::displayText(double(unitsOf(value)) / 10000.0);
}

QString sumText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    const qint64 units = unitsOf(value);
    // Half a kopeck goes away from zero, as the database rounds money.
    const qint64 kopecks = (units >= 0 ? units + 50 : units - 50) / 100;
    // Without digit grouping, as the daily journal shows its sums.
    const qint64 magnitude = kopecks < 0 ? -kopecks : kopecks;
    return QStringLiteral("%1%2%3%4")
        .arg(kopecks < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(QLocale().decimalPoint())
        .arg(magnitude % 100, 2, 10, QChar(u'0'));
}

// The transaction's setting that tells the maintenance records' trigger
// that the average piece-rate calculation writes.
void markAverageRates(TDataModule6& dm, bool on)
{
    dm.Control.close();
    dm.Control.setSql(QStringLiteral("select set_config('pw.average_rates', :on, true) as mark"));
    dm.Control.setParam(QStringLiteral("on"), on ? QStringLiteral("on") : QStringLiteral("off"));
    dm.Control.open();
    dm.Control.close();
}

} // namespace

QString fatigueSql()
{
    return QStringLiteral(
        "select distinct vo.vid, p.fio, i.s_caption, (f.cnt*f.price) as summ, f.*, case when f.i_holiday=0 then '' else "
        "'+' end as s_holiday, case when f.i_night=0 then '' else '+' end as s_night from accounts_dep.fatigue f, "
        "cmn_classifier.item i, accounts_dep.person p,accounts_dep.vid_oper vo, accounts_dep.oper o where f.id_nom =i.id "
        "and p.id=f.id_p and vo.id = f.id_o and o.i_id >=7777 and o.vid >=7777 and f.d_date = :d_date order by p.fio, "
        "f.id");
}

QVector<GridColumn> columns()
{
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    GridColumn price{QStringLiteral("price"), QStringLiteral("Цена"), 80, right};
    price.format = priceText;
    GridColumn summ{QStringLiteral("summ"), QStringLiteral("Итого"), 90, right};
    summ.format = sumText;
    return {
        {QStringLiteral("fio"), QStringLiteral("ФИО"), 200, left},
        {QStringLiteral("s_caption"), QStringLiteral("Номенклатура"), 160, left},
        {QStringLiteral("vid"), QStringLiteral("Работа"), 120, left},
        price,
        {QStringLiteral("cnt"), QStringLiteral("Кол-во"), 60, right},
        summ,
        {QStringLiteral("s_holiday"), QStringLiteral("Вых."), 45, Qt::AlignCenter},
        {QStringLiteral("s_night"), QStringLiteral("Ноч."), 45, Qt::AlignCenter},
    };
}

Rights rightsFor(LoginRole role)
{
    switch (role) {
    case LoginRole::Full:
        return {true, true, true, true};
    case LoginRole::ShiftMaster:
        return {true, false, false, false};
    case LoginRole::ViewOnly:
    case LoginRole::Warehouse:
    case LoginRole::None:
        break;
    }
    return {};
}

bool remove(TDataModule6& dm, int id)
{
    return inTransaction(dm.ADO_DB, [&] {
        const std::optional<DayPosting::TypedKey> key = MaintenanceEntry::lockedKeyOf(dm, id);
        if (!key)
            return false;
        dm.SQL_exec.setText(QStringLiteral("delete from accounts_dep.fatigue where id=") + num(id));
        dm.SQL_exec.execute();
        DayPosting::typedAfterDelete(dm, key->worker, key->kind, key->night, key->date);
        return true;
    });
}

QString averageRateOf(const QString& first, const QString& next)
{
    return QStringLiteral("coalesce((select case when "
                          "coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else  "
                          "coalesce(sum((s.kol_vo-s.brak)*(s.cena+s.cena*f.i_holiday+s.cena*f.i_night*0.2))/sum(time),0)"
                          "::numeric(10,2) end as price  from cmn_classifier.item i, accounts_dep.smena s, "
                          "accounts_dep.izdel gas, accounts_dep.person p where i.id_level =2 and s.i_id = gas.id and "
                          "gas.id_class_item =i.id  and s.data<")
        + next + QStringLiteral(" and s.data>=") + first
        + QStringLiteral(" and p.id=s.w_id and p.id=f.id_p and i.id=f.id_nom group by i.s_caption, i.id, p.id order by "
                         "fio),0)");
}

QString averageRateSql(const QDate& date)
{
    const int month = date.month();
    const int year = date.year();
    const int nextMonth = month == 12 ? 1 : month + 1;
    const int nextYear = month == 12 ? year + 1 : year;
    return QStringLiteral("UPDATE accounts_dep.fatigue f SET price=")
        + averageRateOf(firstDay(month, year), firstDay(nextMonth, nextYear)) + QStringLiteral(" where i_mnth = ")
        + num(month) + QStringLiteral(" and i_year = ") + num(year) + QStringLiteral(" and id_o =7778");
}

RateOutcome calculateAverageRates(TDataModule6& dm, const QDate& date)
{
    RateOutcome outcome;
    Transaction tx(dm.ADO_DB);
    // Reprices a month: refused when it is closed.
    DayPosting::lockMonth(dm, date.year(), date.month(), DayPosting::MonthLock::Shared);
    // The records this update prices are marked as priced by it (the
    // table's trigger reads the setting; any later change clears the mark).
    markAverageRates(dm, true);
    dm.SQL_exec.setText(averageRateSql(date));
    outcome.priced = dm.SQL_exec.execute();
    markAverageRates(dm, false);
    // The repriced rows stay locked until the commit, so this counts the
    // update's own result.
    Dataset& q = dm.Control;
    q.close();
    q.setSql(QStringLiteral("select count(*) as cnt from accounts_dep.fatigue where i_mnth = ") + num(date.month())
             + QStringLiteral(" and i_year = ") + num(date.year()) + QStringLiteral(" and id_o =7778 and price = 0"));
    try {
        q.open();
        outcome.zero = q.field(QStringLiteral("cnt")).asInt();
    } catch (...) {
        q.close();
        throw;
    }
    q.close();
    tx.commit();
    return outcome;
}

QString outcomeMessage(const RateOutcome& outcome, const QDate& date)
{
    const QString month = date.toString(QStringLiteral("MM.yyyy"));
    if (outcome.priced == 0)
        return QStringLiteral("За %1 нет записей ср. сдельной работы: ни одна цена не изменена.").arg(month);
    QString text = QStringLiteral("Ср. сдельная за %1 рассчитана: записей с новой ценой — %2.").arg(month).arg(outcome.priced);
    if (outcome.zero > 0)
        text += QStringLiteral("\nИз них %1 получили цену 0: у работника нет сменных часов по этой группе в месяце.")
                    .arg(outcome.zero);
    return text;
}

} // namespace MaintenanceJournal

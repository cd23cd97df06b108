#include "ledger/DayPosting.h"
#include "ledger/MonthClosing.h"
#include "db/SharedSql.h"
#include "db/TDataModule6.h"

#include <QStringList>
#include <algorithm>
#include <optional>

namespace {

QString num(int v)
{
    return QString::number(v);
}

using SharedSql::dateText;

int readInt(TDataModule6& dm, const QString& sql, const QString& field)
{
    dm.Control.close();
    dm.Control.clearSql();
    dm.Control.addSql(sql);
    int value = 0;
    try {
        dm.Control.open();
        value = dm.Control.field(field).asInt();   // no row or NULL reads 0
    } catch (...) {
        dm.Control.close();
        throw;
    }
    dm.Control.close();
    return value;
}

void execPosting(TDataModule6& dm, const QString& sql)
{
    dm.H_Tabel_ins.setText(sql);
    dm.H_Tabel_ins.execute();
}

// Serialises the postings of one timesheet key across connections until the
// transaction ends.
void lockKey(TDataModule6& dm, const QString& key)
{
    const QString held = QStringLiteral("lock 7001 ") + key;
    if (dm.ADO_DB.holds(held))
        return;
    dm.Control.close();
    dm.Control.clearSql();
    dm.Control.addSql(QStringLiteral("select 1 as locked from (select pg_advisory_xact_lock(7001, hashtext('%1'))) l").arg(key));
    dm.Control.open();
    dm.Control.close();
    dm.ADO_DB.hold(held);
}


QString shiftKeyWhere(int worker, int shift, const QDate& date)
{
    return QStringLiteral(" where w_id=") + num(worker) + QStringLiteral(" and smena=") + num(shift)
        + QStringLiteral(" and month=") + num(date.month()) + QStringLiteral(" and year=") + num(date.year());
}

int shiftTotal(TDataModule6& dm, int worker, int shift, const QDate& date)
{
    return readInt(dm,
                   QStringLiteral("select sum(time) as tim from accounts_dep.smena where w_id=") + num(worker)
                       + QStringLiteral(" and smena=") + num(shift) + QStringLiteral(" and data=to_date('")
                       + dateText(date) + QStringLiteral("', 'DD.MM.YYYY') group by w_id, smena, data"),
                   QStringLiteral("tim"));
}

int typedTotal(TDataModule6& dm, int worker, int kind, int night, const QDate& date)
{
    return readInt(dm,
                   QStringLiteral("select sum(f.cnt) as tim from accounts_dep.fatigue f where f.id_p =") + num(worker)
                       + QStringLiteral("  and f.id_o=") + num(kind) + QStringLiteral(" and i_night=") + num(night)
                       + QStringLiteral(" and f.d_date =to_date('") + dateText(date)
                       + QStringLiteral("', 'DD.MM.YYYY') group by f.id_p, f.d_date"),
                   QStringLiteral("tim"));
}

QString dayColumn(const QDate& date)
{
    return QStringLiteral("d") + num(date.day());
}

QString shiftLockKey(int worker, int shift, const QDate& date)
{
    return QStringLiteral("s/%1/%2/%3/%4").arg(worker).arg(shift).arg(date.month()).arg(date.year());
}

QString typedLockKey(int worker, int kind, int night, const QDate& date)
{
    return QStringLiteral("t/%1/%2/%3/%4/%5").arg(worker).arg(kind).arg(night).arg(date.month()).arg(date.year());
}

// Locks the keys in the order of their texts, each once.
void lockKeysInOrder(TDataModule6& dm, QStringList keys)
{
    keys.sort();
    keys.removeDuplicates();
    for (const QString& key : keys)
        lockKey(dm, key);
}

// The shared month locks of these days, earliest month first, each once:
// month locks always come before key locks, in one order, so that writers
// and rebuilds never wait for each other in a circle.
void lockMonthsInOrder(TDataModule6& dm, const QVector<QDate>& dates)
{
    QVector<int> months;
    for (const QDate& d : dates)
        months << d.year() * 100 + d.month();
    std::sort(months.begin(), months.end());
    months.erase(std::unique(months.begin(), months.end()), months.end());
    for (int m : months)
        DayPosting::lockMonth(dm, m / 100, m % 100, DayPosting::MonthLock::Shared);
}

} // namespace

namespace DayPosting {

void lockMonth(TDataModule6& dm, int year, int month, MonthLock mode, ClosedMonth closed)
{
    // Taken once per transaction: an exclusive lock covers a shared one.
    const int key = year * 100 + month;
    const QString exclusive = QStringLiteral("lock 7002 x %1").arg(key);
    const QString shared = QStringLiteral("lock 7002 s %1").arg(key);
    if (!dm.ADO_DB.holds(exclusive) && (mode == MonthLock::Exclusive || !dm.ADO_DB.holds(shared))) {
        const QString fn = mode == MonthLock::Exclusive ? QStringLiteral("pg_advisory_xact_lock")
                                                        : QStringLiteral("pg_advisory_xact_lock_shared");
        dm.Control.close();
        dm.Control.clearSql();
        dm.Control.addSql(QStringLiteral("select 1 as locked from (select %1(7002, %2)) l").arg(fn).arg(key));
        dm.Control.open();
        dm.Control.close();
        dm.ADO_DB.hold(mode == MonthLock::Exclusive ? exclusive : shared);
    }
    // A statement of its own, after the lock: one that waited for a closing
    // sees the closing's commit. Found open, the month stays open while the
    // lock is held, so the transaction asks once.
    if (closed == ClosedMonth::Refuse && !dm.ADO_DB.holds(openMonthFact(year, month))) {
        MonthClosing::ensureOpen(dm, year, month);
        dm.ADO_DB.hold(openMonthFact(year, month));
    }
}

QString openMonthFact(int year, int month)
{
    return QStringLiteral("open month %1").arg(year * 100 + month);
}

void lockMonths(TDataModule6& dm, const QVector<QDate>& days)
{
    lockMonthsInOrder(dm, days);
}

void lockShiftKeys(TDataModule6& dm, const QVector<ShiftKey>& keys)
{
    QStringList texts;
    QVector<QDate> dates;
    for (const ShiftKey& k : keys) {
        texts << shiftLockKey(k.worker, k.shift, k.date);
        dates << k.date;
    }
    lockMonthsInOrder(dm, dates);
    lockKeysInOrder(dm, texts);
}

void lockTypedKeys(TDataModule6& dm, const QVector<TypedKey>& keys)
{
    QStringList texts;
    QVector<QDate> dates;
    for (const TypedKey& k : keys) {
        texts << typedLockKey(k.worker, k.kind, k.night, k.date);
        dates << k.date;
    }
    lockMonthsInOrder(dm, dates);
    lockKeysInOrder(dm, texts);
}

void shiftAfterSave(TDataModule6& dm, int worker, int shift, const QDate& date)
{
    inTransaction(dm.ADO_DB, [&] {
        lockMonth(dm, date.year(), date.month(), MonthLock::Shared);
        lockKey(dm, shiftLockKey(worker, shift, date));
        const int count = readInt(dm,
                                  QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel") + shiftKeyWhere(worker, shift, date),
                                  QStringLiteral("cnt"));
        const int total = shiftTotal(dm, worker, shift, date);
        if (count == 0) {
            execPosting(dm, QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, ") + dayColumn(date)
                                + QStringLiteral(") values(") + num(shift) + QStringLiteral(", ") + num(worker)
                                + QStringLiteral(", ") + num(date.month()) + QStringLiteral(", ") + num(date.year())
                                + QStringLiteral(", ") + num(total) + QStringLiteral(")"));
        } else {
            execPosting(dm, QStringLiteral("update accounts_dep.h_tabel set ") + dayColumn(date) + QStringLiteral("=")
                                + num(total) + shiftKeyWhere(worker, shift, date));
        }
    });
}

void shiftAfterDelete(TDataModule6& dm, int worker, int shift, const QDate& date)
{
    inTransaction(dm.ADO_DB, [&] {
        lockMonth(dm, date.year(), date.month(), MonthLock::Shared);
        lockKey(dm, shiftLockKey(worker, shift, date));
        const int total = shiftTotal(dm, worker, shift, date);
        // A day left without records ends up without hours; the row and its
        // other days stay.
        const QString value = total != 0 ? num(total) : QStringLiteral("NULL");
        execPosting(dm, QStringLiteral("update accounts_dep.h_tabel set ") + dayColumn(date) + QStringLiteral("=") + value
                            + shiftKeyWhere(worker, shift, date));
    });
}

void shiftAfterEdit(TDataModule6& dm, int oldWorker, int oldShift, const QDate& oldDate, int worker, int shift,
                    const QDate& date)
{
    inTransaction(dm.ADO_DB, [&] {
        // Both keys first, in the fixed order: posting one and then the other
        // would lock them in the order of the edit.
        lockShiftKeys(dm, {{oldWorker, oldShift, oldDate}, {worker, shift, date}});
        shiftAfterSave(dm, worker, shift, date);
        if (oldWorker != worker || oldShift != shift || oldDate != date)
            shiftAfterDelete(dm, oldWorker, oldShift, oldDate);
    });
}

void typedAfterSave(TDataModule6& dm, int worker, int kind, int night, const QDate& date)
{
    inTransaction(dm.ADO_DB, [&] {
        lockMonth(dm, date.year(), date.month(), MonthLock::Shared);
        lockKey(dm, typedLockKey(worker, kind, night, date));
        const int count = readInt(dm,
                                  QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where w_id=") + num(worker)
                                      + QStringLiteral(" and i_type=") + num(kind) + QStringLiteral(" and month=")
                                      + num(date.month()) + QStringLiteral(" and year=") + num(date.year())
                                      + QStringLiteral(" and i_night=") + num(night),
                                  QStringLiteral("cnt"));
        const int total = typedTotal(dm, worker, kind, night, date);
        if (count == 0) {
            execPosting(dm, QStringLiteral("insert into accounts_dep.h_tabel(i_type, w_id, month, year, ") + dayColumn(date)
                                + QStringLiteral(", i_night) values(") + num(kind) + QStringLiteral(", ") + num(worker)
                                + QStringLiteral(", ") + num(date.month()) + QStringLiteral(", ") + num(date.year())
                                + QStringLiteral(", ") + num(total) + QStringLiteral(", ") + num(night) + QStringLiteral(")"));
        } else {
            execPosting(dm, QStringLiteral("update accounts_dep.h_tabel set ") + dayColumn(date) + QStringLiteral("=")
                                + num(total) + QStringLiteral(" where w_id=") + num(worker) + QStringLiteral(" and i_type=")
                                + num(kind) + QStringLiteral(" and month=") + num(date.month()) + QStringLiteral(" and year=")
                                + num(date.year()) + QStringLiteral(" and i_night=") + num(night));
        }
    });
}

void typedAfterDelete(TDataModule6& dm, int worker, int kind, int night, const QDate& date)
{
    inTransaction(dm.ADO_DB, [&] {
        lockMonth(dm, date.year(), date.month(), MonthLock::Shared);
        lockKey(dm, typedLockKey(worker, kind, night, date));
        const int total = typedTotal(dm, worker, kind, night, date);
        const QString value = total != 0 ? num(total) : QStringLiteral("NULL");
        execPosting(dm, QStringLiteral("update accounts_dep.h_tabel set ") + dayColumn(date) + QStringLiteral("=") + value
                            + QStringLiteral(" where w_id=") + num(worker) + QStringLiteral(" and i_night=") + num(night)
                            + QStringLiteral(" and i_type=") + num(kind) + QStringLiteral(" and month=") + num(date.month())
                            + QStringLiteral(" and year=") + num(date.year()));
    });
}

void typedAfterEdit(TDataModule6& dm, int oldWorker, int oldKind, int oldNight, const QDate& oldDate, int worker,
                    int kind, int night, const QDate& date)
{
    inTransaction(dm.ADO_DB, [&] {
        lockTypedKeys(dm, {{oldWorker, oldKind, oldNight, oldDate}, {worker, kind, night, date}});
        typedAfterSave(dm, worker, kind, night, date);
        if (oldWorker != worker || oldKind != kind || oldNight != night || oldDate != date)
            typedAfterDelete(dm, oldWorker, oldKind, oldNight, oldDate);
    });
}

} // namespace DayPosting

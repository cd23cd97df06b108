#pragma once
#include <QDate>
#include <QString>
#include <QStringList>

class Database;

// The workers reports' statements as they were first written, with a
// sub-query per row for every maintenance sum: the reference that their
// faster statements are compared with (same rows on the test fixtures and
// on the benchmark's generated year).
namespace Given {

// Parameters data1 ... data12, odd "from", even "to".
QString workersReportSql();
// Parameters data1 ... data18.
QString detailedWorkersReportSql();

struct Rows {
    QStringList columns;   // the statement's columns, in its order
    QStringList rows;      // each row's values joined with '|', sorted
};

// Opens `sql` over the period (data1, data3, ... "from"; data2, data4, ...
// "to") and answers its rows. Only the columns named are kept (all when
// none are); floating numbers are written with 12 significant digits, so
// that sums added in another order compare equal. With `skipMaintenance`
// the rows whose maint is 1 are left out; the columns `perWorker`, which
// such a statement carries on the worker's maint row alone, are then
// filled into his other rows from it (0.00 when he has none).
Rows readRows(Database& db, const QString& sql, int parameterCount, const QDate& from, const QDate& to,
              const QStringList& columns = {}, bool skipMaintenance = false, const QStringList& perWorker = {});

} // namespace Given

#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

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
    // Each row's values joined with '|', a number standing as '#'; sorted
    // on these and then on the numbers, which are kept beside.
    QStringList rows;
    QVector<QVector<double>> floats;
};

// True when both hold the same rows: the same texts, and floating numbers
// that differ by no more than the order of adding them explains (a
// relative 1e-9). Otherwise `difference` tells the first row that differs.
bool sameRows(const Rows& a, const Rows& b, QString* difference = nullptr);

// Opens `sql` over the period (data1, data3, ... "from"; data2, data4, ...
// "to") and answers its rows. Only the columns named are kept (all when
// none are). With `skipMaintenance`
// the rows whose maint is 1 are left out; the columns `perWorker`, which
// such a statement carries on the worker's maint row alone, are then
// filled into his other rows from it (0.00 when he has none).
Rows readRows(Database& db, const QString& sql, int parameterCount, const QDate& from, const QDate& to,
              const QStringList& columns = {}, bool skipMaintenance = false, const QStringList& perWorker = {});

} // namespace Given

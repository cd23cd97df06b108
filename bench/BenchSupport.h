#pragma once
#include "db/Database.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

// Helpers of the benchmarks: timing and the server-side cost of a statement.
namespace Bench {

// The database the benchmarks run on (made by tools/bench.sh).
QString database();

// Median wall time of `runs` calls of `body`, in milliseconds.
double medianMs(int runs, const std::function<void()>& body);

// The server's own execution time of `sql` (EXPLAIN ANALYZE), in
// milliseconds; named parameters are written in as literals.
double serverMs(Database& db, QString sql, const QHash<QString, QVariant>& params = {});

// One run of EXPLAIN ANALYZE of `sql` (which runs it, writes included):
// the server's execution time in milliseconds, -1 when it gives none.
double explainMs(Database& db, QString sql, const QHash<QString, QVariant>& params = {});

// One line of the report: name, time, and the ratio to the server alone.
void report(const QString& name, double ms, double serverMs = -1);

// A database of the benchmark's own, copied from the test template
// (pw_template, or the one PW_TEMPLATE names) and dropped at the end.
class FreshDatabase {
public:
    explicit FreshDatabase(const QString& prefix);
    ~FreshDatabase();
    FreshDatabase(const FreshDatabase&) = delete;
    FreshDatabase& operator=(const FreshDatabase&) = delete;
    QString name() const { return m_name; }

private:
    QString m_name;
    Database m_admin;
};

} // namespace Bench

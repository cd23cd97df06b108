#pragma once
#include "db/DbError.h"

#include <QString>
#include <QVector>
#include <functional>

class Database;

// How a legacy value is carried into the target column.
enum class Carry {
    Integer,   // a whole number; a missing value becomes 0
    Decimal,   // a number; a missing value stays missing
    Text,      // text (dates and times as ISO text); a missing value stays missing
};

struct ImportColumn {
    QString name;      // in the source
    Carry carry;
    QString target;    // in the target, when it is named otherwise there

    QString targetName() const { return target.isEmpty() ? name : target; }
};

// One table copied by the import: where its rows come from and where they go.
struct ImportStep {
    QString source;            // table name in the source database, as written there
    QString target;            // accounts_dep.<table>
    QVector<ImportColumn> columns;
    bool sortById = true;      // read the source "order by id ASC"
    bool fromMainConnection = false;  // read from the program's own connection
    bool hasKey() const;       // the key `id` is copied
};

// The seven tables of the import, in the order they are copied.
const QVector<ImportStep>& legacyImportSteps();

struct ImportedTable {
    QString source;
    int rows = 0;
};

// What a finished import wrote.
struct ImportReport {
    QVector<ImportedTable> tables;
    int workersWritten = 0;   // workers of accounts_dep.person made or renamed for imported records
    int normsAdded = 0;       // price norms made from the imported operations' prices
    int normsKept = 0;        // price norms of operations that returned under their id, kept as they were

    // "H_TABEL 120, IZDEL 30, ..."
    QString summary() const;
};

// A failed import. Nothing has been changed when it is thrown.
class ImportError : public DbError {
public:
    using DbError::DbError;
};

// The ODBC data sources of the import: the legacy database "Tabel" (its
// password kept here) and the target PostgreSQL database "Tabel_PgSQL".
// Opens each one that is not open yet; throws ImportError naming the source.
void openLegacyConnections(Database& legacy, Database& target);

// Copies the legacy database into the workshop's tables. Everything it
// writes goes through `target` in one transaction: the deletes, the copied
// rows in batches, the workers and norms the imported rows need, the key
// sequences moved past the imported keys. It refuses before writing
// anything while a month is closed, and keeps the norms of the operations
// that return under their id. References are checked before commit; a
// failure rolls everything back and names the table, the source row and
// the reason.
class LegacyImport {
public:
    // `legacy` holds the old tables; `main` is the program's own connection,
    // which the shift records are read from (the table "smena" that its
    // search path finds).
    LegacyImport(Database& legacy, Database& target, Database& main);

    // Rows per insert statement (and between two progress reports).
    void setBatchSize(int rows) { m_batchSize = rows > 0 ? rows : 1; }
    int batchSize() const { return m_batchSize; }

    // Told after every batch: the source table, the rows copied so far and
    // its row count. Not called for an empty table.
    std::function<void(const QString& source, int copied, int total)> onProgress;
    // Told when a table is done, with the rows copied (0 for an empty one).
    std::function<void(const QString& source, int rows)> onTableDone;
    // Called often while rows are read and written, to let the window repaint.
    std::function<void()> keepResponsive;

    ImportReport run();

    // "<table>: k из N записей"
    static QString progressText(const QString& source, int copied, int total);

private:
    void refuseClosedMonths();
    void setNormsAside();
    int restoreNorms();
    int copyStep(const ImportStep& step);
    void writeNewLayout(ImportReport& report);
    void checkReferences();

    Database& m_legacy;
    Database& m_target;
    Database& m_main;
    int m_batchSize = 2000;
};

#pragma once
#include <QHash>
#include <QString>
#include <QVariant>
#include <optional>

class Command;
class TDataModule6;

// A statement with the values it is run with. Whatever a person typed
// travels as a bound parameter, never inside the text.
struct BoundSql {
    QString sql;
    QHash<QString, QVariant> params;
};

// The statements of the catalogs of workers, products, groups and kinds.
namespace CatalogSql {

// Counts (column `cnt`) of another product with the same mark, or another
// kind with the same name, regardless of letter case; `exceptId` leaves
// out the row being changed.
BoundSql productDuplicate(const QString& mark, std::optional<qlonglong> exceptId = std::nullopt);
BoundSql kindDuplicate(const QString& name, std::optional<qlonglong> exceptId = std::nullopt);

// Keys of goods and classifier items are 15-digit numbers, held as 64-bit
// integers. `massa` is a number with a point as its decimal separator.
BoundSql productInsert(const QString& mark, const QString& massa, qlonglong groupId);
BoundSql productUpdate(qlonglong id, const QString& mark, const QString& massa, qlonglong groupId);

BoundSql workerInsert(const QString& fio, const QString& position);
BoundSql workerUpdate(int id, const QString& fio, const QString& position);
BoundSql workerDelete(int id);

// A new group is a classifier item of level 2, the level the lists show.
BoundSql groupInsert(const QString& caption);
BoundSql groupUpdate(qlonglong id, const QString& caption);

// Runs `statement` on `command` (its text and parameters are replaced).
int run(Command& command, const BoundSql& statement);

// The data module's duplicate check over a count with bound parameters:
// shows `message` as an error and answers true when the count is above 0.
bool checkDuplicate(TDataModule6& dm, const BoundSql& count, const QString& message);

} // namespace CatalogSql

#include "app/ImportCommand.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "ledger/LegacyImport.h"

#include <QTextStream>

namespace ImportCommand {

bool worthPrinting(int copied, int total, int batch)
{
    if (copied >= total)
        return true;
    const int step = qMax(total / 10, batch);
    return copied / step != (copied - batch) / step;
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Database main;
    Database legacy;
    Database target;
    try {
        main.setConnectionText(connectionTextForArguments(arguments.value(0), arguments.value(1)));
        try {
            main.open();
        } catch (const DbError& e) {
            throw ImportError(QStringLiteral("Подключение к БД отсутсвует!!! ") + e.text());
        }
        openLegacyConnections(legacy, target);
        LegacyImport import(legacy, target, main);
        import.onProgress = [&](const QString& source, int copied, int total) {
            if (worthPrinting(copied, total, import.batchSize()))
                out << LegacyImport::progressText(source, copied, total) << Qt::endl;
        };
        import.onTableDone = [&](const QString& source, int rows) {
            if (rows == 0)
                out << source << QStringLiteral(": нет записей") << Qt::endl;
        };
        const ImportReport report = import.run();
        out << QStringLiteral("Импорт завершён. Скопировано записей: ") << report.summary()
            << QStringLiteral("; рабочих записано: %1, норм сохранено: %2, норм добавлено: %3")
                   .arg(report.workersWritten)
                   .arg(report.normsKept)
                   .arg(report.normsAdded)
            << Qt::endl;
        return 0;
    } catch (const std::exception& e) {
        const auto* db = dynamic_cast<const DbError*>(&e);
        err << (db ? db->text() : QString::fromUtf8(e.what())) << Qt::endl;
        return 1;
    }
}

} // namespace ImportCommand

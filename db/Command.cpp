#include "db/Command.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/NamedParams.h"

#include <QSqlError>
#include <QSqlQuery>

void execStatement(QSqlQuery& query, Database& db, const QString& sql, const QHash<QString, QVariant>& params)
{
    if (!db.isOpen())
        throw DbError(QStringLiteral("Нет подключения к базе данных"));
    const PositionalSql positional = toPositional(sql);
    query.setForwardOnly(true);
    if (positional.order.isEmpty()) {
        if (!query.exec(positional.sql))
            throw DbError(sqlErrorText(query.lastError()));
        return;
    }
    if (!query.prepare(positional.sql))
        throw DbError(sqlErrorText(query.lastError()));
    for (const QString& name : positional.order) {
        const auto it = params.constFind(name);
        if (it == params.constEnd())
            throw DbError(QStringLiteral("Параметр '%1' не задан").arg(name));
        query.addBindValue(*it);
    }
    if (!query.exec())
        throw DbError(sqlErrorText(query.lastError()));
}

int Command::execute()
{
    QSqlQuery query(m_db.handle());
    execStatement(query, m_db, m_text, m_params);
    return query.numRowsAffected();
}

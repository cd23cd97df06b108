#include "db/Database.h"
#include "db/DbError.h"

#include <QAtomicInt>
#include <QSqlError>

namespace {
QAtomicInt g_connectionCounter;
}

QString sqlErrorText(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Ошибка базы данных");
    return text;
}

Database::Database()
    : m_name(QStringLiteral("pw_connection_%1").arg(g_connectionCounter.fetchAndAddRelaxed(1)))
{
    QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
}

Database::~Database()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase Database::handle() const
{
    return QSqlDatabase::database(m_name, false);
}

void Database::open()
{
    QSqlDatabase db = handle();
    if (db.isOpen())
        db.close();
    db.setDatabaseName(m_connectionText);
    if (!db.open())
        throw DbError(sqlErrorText(db.lastError()));
}

void Database::close()
{
    QSqlDatabase db = handle();
    if (db.isOpen())
        db.close();
    m_inTransaction = false;
}

bool Database::isOpen() const
{
    return handle().isOpen();
}

void Database::beginTransaction()
{
    QSqlDatabase db = handle();
    if (!db.transaction())
        throw DbError(sqlErrorText(db.lastError()));
    m_inTransaction = true;
}

void Database::commit()
{
    QSqlDatabase db = handle();
    m_inTransaction = false;
    if (!db.commit())
        throw DbError(sqlErrorText(db.lastError()));
}

void Database::rollback()
{
    QSqlDatabase db = handle();
    m_inTransaction = false;
    if (!db.rollback())
        throw DbError(sqlErrorText(db.lastError()));
}

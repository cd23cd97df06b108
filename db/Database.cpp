#include "db/Database.h"
#include "db/DbError.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QStringList>

namespace {
QAtomicInt g_connectionCounter;
}

QString sqlErrorText(const QSqlError& error)
{
    // The driver adds its own generic diagnostic after the server's message.
    QStringList lines = error.databaseText().split(u'\n');
    lines.removeIf([](const QString& l) { return l.trimmed().isEmpty() || l.trimmed() == QLatin1String("Error while executing the query"); });
    QString text = lines.join(u'\n').trimmed();
    if (text.endsWith(u';'))
        text.chop(1);
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
    m_held.clear();
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
    m_held.clear();
}

void Database::commit()
{
    QSqlDatabase db = handle();
    m_inTransaction = false;
    m_held.clear();
    if (!db.commit())
        throw DbError(sqlErrorText(db.lastError()));
}

void Database::rollback()
{
    QSqlDatabase db = handle();
    m_inTransaction = false;
    m_held.clear();
    if (!db.rollback())
        throw DbError(sqlErrorText(db.lastError()));
}

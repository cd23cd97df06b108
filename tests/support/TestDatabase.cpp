#include "tests/support/TestDatabase.h"
#include "db/Command.h"
#include "db/ConnectionText.h"
#include "db/Dataset.h"
#include "db/DbError.h"
#include "tests/support/SchemaLoader.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <stdexcept>

namespace {

QAtomicInt g_counter;

// The template the test command builds; PW_TEMPLATE names another one, so
// that a tree with a changed schema can be tested beside others.
QString templateName()
{
    const QByteArray env = qgetenv("PW_TEMPLATE");
    return env.isEmpty() ? QStringLiteral("pw_template") : QString::fromUtf8(env);
}

Database& adminConnection()
{
    static Database* admin = [] {
        auto* db = new Database;
        db->setConnectionText(connectionText(QStringLiteral("postgres"), QStringLiteral("localhost")));
        db->open();   // a missing server fails the test here
        return db;
    }();
    return *admin;
}

} // namespace

TestDatabase::TestDatabase()
    : m_name(QStringLiteral("pwt_%1_%2").arg(QCoreApplication::applicationPid()).arg(g_counter.fetchAndAddRelaxed(1)))
{
    Database& admin = adminConnection();
    Command(admin, QStringLiteral("drop database if exists %1").arg(m_name)).execute();
    Command(admin, QStringLiteral("create database %1 template %2").arg(m_name, templateName())).execute();
    Command(admin, QStringLiteral("alter database %1 set datestyle to 'ISO, DMY'").arg(m_name)).execute();
    m_db = std::make_unique<Database>();
    m_db->setConnectionText(connectionText(m_name, server()));
    m_db->open();
}

TestDatabase::TestDatabase(const QString& libcLocale)
    : m_name(QStringLiteral("pwt_%1_%2").arg(QCoreApplication::applicationPid()).arg(g_counter.fetchAndAddRelaxed(1)))
{
    Database& admin = adminConnection();
    Command(admin, QStringLiteral("drop database if exists %1").arg(m_name)).execute();
    Command(admin, QStringLiteral("create database %1 template template0 encoding 'UTF8' locale_provider libc "
                                  "locale '%2'")
                       .arg(m_name, libcLocale))
        .execute();
    loadSchema(server(), m_name);
    m_db = std::make_unique<Database>();
    m_db->setConnectionText(connectionText(m_name, server()));
    m_db->open();
}

TestDatabase::~TestDatabase()
{
    m_db.reset();
    try {
        Command(adminConnection(), QStringLiteral("drop database if exists %1 with (force)").arg(m_name)).execute();
    } catch (const DbError&) {
        // Left for the next run of the test command to drop.
    }
}

void TestDatabase::exec(const QString& sql)
{
    Command(*m_db, sql).execute();
}

QVariant TestDatabase::scalar(const QString& sql)
{
    Dataset q(*m_db);
    q.setSql(sql);
    q.open();
    if (q.isEmpty() || q.fieldNames().isEmpty())
        return QVariant();
    return q.valueAt(0, 0);
}

#include "tests/support/PrivateServer.h"
#include "db/Command.h"
#include "db/ConnectionText.h"
#include "tests/support/SchemaLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kBin = "/usr/lib/postgresql/15/bin/";

void giveToPostgres(const QString& path)
{
    const passwd* pw = getpwnam("postgres");
    if (!pw)
        throw std::runtime_error("no postgres user");
    if (::chown(QFile::encodeName(path).constData(), pw->pw_uid, pw->pw_gid) != 0)
        throw std::runtime_error("cannot give " + path.toStdString() + " to postgres");
}

} // namespace

PrivateServer::PrivateServer(const QString& preload) : m_dir(QDir::tempPath() + QStringLiteral("/pw-server-XXXXXX"))
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder for the server");
    m_socketDir = m_dir.path();
    m_dataDir = m_dir.filePath(QStringLiteral("data"));
    ::chmod(QFile::encodeName(m_socketDir).constData(), 0755);
    giveToPostgres(m_socketDir);
    if (!preload.isEmpty()) {
        const QString copy = m_dir.filePath(QFileInfo(preload).fileName());
        if (!QFile::copy(preload, copy))
            throw std::runtime_error("cannot copy " + preload.toStdString());
        giveToPostgres(copy);
        m_settings << QStringLiteral("shared_preload_libraries='%1'").arg(copy);
    }
    run({QLatin1String(kBin) + QStringLiteral("initdb"), QStringLiteral("-D"), m_dataDir, QStringLiteral("-A"),
         QStringLiteral("trust"), QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-E"),
         QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")});
    start();
    run({QLatin1String(kBin) + QStringLiteral("psql"), QStringLiteral("-X"), QStringLiteral("-q"),
         QStringLiteral("-h"), m_socketDir, QStringLiteral("-p"), QStringLiteral("5432"), QStringLiteral("-d"),
         QStringLiteral("postgres"), QStringLiteral("-c"),
         QStringLiteral("create role sys login superuser password 'vumbrex'")});
}

PrivateServer::~PrivateServer()
{
    m_admin.reset();
    if (m_running) {
        try {
            stop();
        } catch (...) {
        }
    }
}

void PrivateServer::run(const QStringList& command)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(m_socketDir);
    QStringList args{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")};
    args << command;
    p.start(QStringLiteral("runuser"), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(command.join(u' ').toStdString() + ": " + QString::fromUtf8(p.readAll()).toStdString());
}

void PrivateServer::start()
{
    QString options = QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -p 5432 -c fsync=off")
                          .arg(m_socketDir);
    for (const QString& s : m_settings)
        options += QStringLiteral(" -c ") + s;
    run({QLatin1String(kBin) + QStringLiteral("pg_ctl"), QStringLiteral("-D"), m_dataDir, QStringLiteral("-o"), options,
         QStringLiteral("-l"), m_dir.filePath(QStringLiteral("log")), QStringLiteral("-w"), QStringLiteral("start")});
    m_running = true;
}

void PrivateServer::stop()
{
    m_admin.reset();
    run({QLatin1String(kBin) + QStringLiteral("pg_ctl"), QStringLiteral("-D"), m_dataDir, QStringLiteral("-m"),
         QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
    m_running = false;
}

void PrivateServer::createDatabase(const QString& name)
{
    exec(QStringLiteral("postgres"), QStringLiteral("create database %1 template template0 encoding 'UTF8'").arg(name));
    loadSchema(m_socketDir, name);
}

void PrivateServer::exec(const QString& database, const QString& sql)
{
    Database db;
    db.setConnectionText(connectionText(database, m_socketDir));
    db.open();
    Command(db, sql).execute();
}

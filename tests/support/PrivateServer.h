#pragma once
#include "db/Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A PostgreSQL server of one test's own, for what the shared server must
// not be put through (stopped and started again, loaded with a library).
// It listens on no TCP port, only on a socket in a temporary folder, under
// the program's own port number: the program reaches it with its connection
// text unchanged, the folder given as the server on the command line.
// Needs root (the server runs as the postgres user); a failure to set it up
// fails the test.
class PrivateServer {
public:
    // `preload`, when given, is a server library copied into the server's
    // folder and loaded by the server at start.
    explicit PrivateServer(const QString& preload = QString());
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    // The folder of its socket: the "server" of the program's command line.
    QString host() const { return m_socketDir; }
    // The command line of the program started against `database` here.
    QStringList arguments(const QString& database) const { return {database, m_socketDir}; }

    void start();
    // Stops at once, cutting the connections open on it.
    void stop();
    bool running() const { return m_running; }

    // A database with the enterprise schema, day-first dates.
    void createDatabase(const QString& name);
    // Runs `sql` as the superuser sys in `database`.
    void exec(const QString& database, const QString& sql);

private:
    void run(const QStringList& command);

    QTemporaryDir m_dir;
    QString m_socketDir;
    QString m_dataDir;
    QStringList m_settings;
    bool m_running = false;
    std::unique_ptr<Database> m_admin;
};

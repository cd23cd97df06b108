#include "tests/support/SchemaLoader.h"

#include <QDir>
#include <QProcess>
#include <stdexcept>

void loadSchema(const QString& host, const QString& database)
{
    const QDir schema(QStringLiteral(PW_SOURCE_DIR "/db/schema"));
    const QStringList files = schema.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        throw std::runtime_error("no schema files in " + schema.path().toStdString());
    for (const QString& file : files) {
        QProcess psql;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PGPASSWORD"), QStringLiteral("vumbrex"));
        psql.setProcessEnvironment(env);
        psql.setProcessChannelMode(QProcess::MergedChannels);
        psql.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                                            QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), host,
                                            QStringLiteral("-p"), QStringLiteral("5432"), QStringLiteral("-U"),
                                            QStringLiteral("sys"), QStringLiteral("-d"), database, QStringLiteral("-f"),
                                            schema.filePath(file)});
        if (!psql.waitForFinished(60000) || psql.exitStatus() != QProcess::NormalExit || psql.exitCode() != 0)
            throw std::runtime_error("psql failed on " + file.toStdString() + ": "
                                     + QString::fromUtf8(psql.readAll()).toStdString());
    }
}

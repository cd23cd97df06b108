#pragma once
#include <QHash>
#include <QString>
#include <QVariant>

class Database;

// A statement that returns no rows, with named parameters.
class Command {
public:
    explicit Command(Database& db, const QString& text = QString()) : m_db(db), m_text(text) {}

    void setText(const QString& text) { m_text = text; }
    QString text() const { return m_text; }
    void setParam(const QString& name, const QVariant& value) { m_params.insert(name.toLower(), value); }
    void clearParams() { m_params.clear(); }

    // Runs the statement; answers the number of rows it touched. Throws DbError.
    int execute();

private:
    Database& m_db;
    QString m_text;
    QHash<QString, QVariant> m_params;
};

// Runs one statement with positional binds; throws DbError. Shared by
// datasets and commands.
class QSqlQuery;
void execStatement(QSqlQuery& query, Database& db, const QString& sql, const QHash<QString, QVariant>& params);

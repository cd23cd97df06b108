#pragma once
#include "db/Database.h"

#include <QString>
#include <QVariant>
#include <memory>

// A fresh database for one test, copied from the template the test command
// builds (pw_template), on the local server; dropped when the test ends.
class TestDatabase {
public:
    TestDatabase();
    // A database whose character rules are those of the C library locale
    // `libcLocale` ("C": only Latin letters have cases), built from the
    // schema files instead of the template, which fixes its own rules.
    explicit TestDatabase(const QString& libcLocale);
    ~TestDatabase();

    QString name() const { return m_name; }
    QString server() const { return QStringLiteral("localhost"); }
    // The arguments the program would be started with.
    QStringList arguments() const { return {m_name, server()}; }

    // A connection of the test's own, for preparing rows and checking what
    // the program wrote.
    Database& db() { return *m_db; }
    void exec(const QString& sql);
    QVariant scalar(const QString& sql);
    int count(const QString& sql) { return scalar(sql).toInt(); }

private:
    QString m_name;
    std::unique_ptr<Database> m_db;
};

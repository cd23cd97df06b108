#pragma once
#include <QString>
#include <QStringList>

// A statement with named parameters (":data", ":ok") rewritten for ODBC's
// positional "?" markers. Casts ("::numeric"), quoted texts and quoted
// identifiers are left alone.
struct PositionalSql {
    QString sql;          // the text with every :name replaced by ?
    QStringList order;    // the parameter names in marker order (a name may repeat)
};

PositionalSql toPositional(const QString& sql);

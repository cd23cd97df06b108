#pragma once
#include <QString>

// Loads the enterprise schema of this tree (db/schema/*.sql, in name order)
// into `database` with psql, as the template is built; `host` is a server
// address or a socket folder. Throws std::runtime_error with psql's output
// when a file fails.
void loadSchema(const QString& host, const QString& database);

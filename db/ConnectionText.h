#pragma once
#include <QString>

// The ODBC connection text of the enterprise database on `server`.
QString connectionText(const QString& database, const QString& server);
// The built-in default: the database "vestra_erp" on this machine.
QString defaultConnectionText();
// What the program connects with, given its command line arguments (first:
// database name, second: server). Without a server the default is used.
QString connectionTextForArguments(const QString& database, const QString& server);

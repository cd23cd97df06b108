#pragma once
#include "db/Command.h"
#include "db/Database.h"
#include "db/Dataset.h"

#include <QObject>
#include <QString>

class ErrorSink;

// The data module: the one connection and the queries and commands that
// several windows share.
class TDataModule6 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule6(ErrorSink& errors, QObject* parent = nullptr);

    Database ADO_DB;

    Dataset Control;          // general-purpose query for counts and totals
    Command SQL_exec;         // general-purpose command
    Command DelSmena;         // deletes of shift records, timesheet rows, products
    Command H_Tabel_ins;      // timesheet inserts and updates

    Dataset Workers;
    Dataset Izdel;
    Dataset Oper;
    Dataset Vid_oper;         // updatable
    Dataset Smena1, Smena2, Smena3, Smena4;
    Dataset H_Tabel_1, H_Tabel_2, H_Tabel_3;

    Command Oper_ins;
    Command Oper_ed;
    Command Oper_del;

    // The journal query of shift 1..4.
    Dataset& Smena(int shift);
    // The shift timesheet query of shift 1..3.
    Dataset& H_Tabel(int shift);

    // Decimal separator for numbers written into SQL text, as read from
    // accounts_dep.ver by the version check.
    QString decimalSeparator;

    // Runs a count query (one column `cnt`); above 0 shows `message` in an
    // error box and answers true.
    bool CheckDuplicate(const QString& sql, const QString& message);
    QString ReplaceDecimalSeparator(const QString& text) const;

    // Opens the connection with `text` (throws DbError when it cannot) and
    // sets the session up for the program's queries.
    void openConnection(const QString& text);
    // Opens the connection again with the text it was opened with, after
    // the server went away and came back.
    void reopenConnection();
    // Whether the server still answers on the open connection.
    bool connectionAnswers();

    // Set by the version check when the server stopped answering; the next
    // check opens the connection again.
    bool connectionLost = false;
    // A version check is running (its message box may be open).
    bool versionCheckRunning = false;

private:
    void tuneSession();

    ErrorSink& m_errors;
};

// The first "," (or, if none, the first ".") of `text` replaced by `separator`.
QString replaceDecimalSeparator(const QString& text, const QString& separator);

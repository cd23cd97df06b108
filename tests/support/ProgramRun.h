#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// The program started as a process by a test, as cron, a service or an
// administrator's terminal starts it: without a display or a Qt platform.
struct ProgramRun {
    int exitCode = -1;   // -1: it did not end normally
    QStringList out;     // the lines of the standard output
    QString err;         // the standard error, trimmed
};

// Runs `program` with `arguments`. `language`, when given, replaces every
// language setting of the test's environment (LANG, LANGUAGE, LC_*) with
// its NAME=value pairs; an empty list leaves none at all.
ProgramRun runProgram(const QString& program, const QStringList& arguments,
                      const std::optional<QStringList>& language = std::nullopt);

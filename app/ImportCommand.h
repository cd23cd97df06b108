#pragma once
#include <QStringList>

class QTextStream;

// The command-line option that runs the legacy import without a window.
namespace ImportCommand {

inline constexpr const char* kOption = "--import-legacy";

// Runs the import with the program's connection made from `arguments`
// (database, server; as at start-up). Prints the progress of every table
// and a final line with the rows copied per table to `out`, the failure to
// `err`. Answers the exit status: 0 done, 1 failed (nothing changed).
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The progress lines worth printing: every tenth of a table and its end.
bool worthPrinting(int copied, int total, int batch);

} // namespace ImportCommand

#pragma once
#include "widgets/BuildStamp.h"

struct AppContext;
class QTimer;
class QWidget;
class TDataModule6;

enum class VersionVerdict {
    Stamped,    // the database held an older stamp: this build's is written
    Equal,      // same stamp: nothing written
    Outdated,   // the database was stamped by a newer build
};

// Reads accounts_dep.ver, copies its decimal separator into the data
// module, stamps an older database with `build` and tells how the stamps
// compare. Database errors are thrown.
VersionVerdict checkVersion(TDataModule6& dm, const BuildStamp& build);

// The message shown to a copy of the program older than the database.
inline const char* const kOutdatedMessage =
    "Версия программы не соответсвует БД! Запустите программу через 5 мин.";
// The message shown when the server does not answer.
inline const char* const kNoConnectionMessage = "Подключение к БД отсутсвует!!!";

// The version check as the login and the journal's timer run it. An
// outdated program arms `loginTimer`, shows the version message above
// `parent` and asks to end. While a check's message box is open, further
// checks (the timer goes on ticking under the box) do nothing, so that
// boxes never stack. When the server stops answering, the check shows
// kNoConnectionMessage once; later checks open the connection again as
// soon as the server is back and go on as before.
void runVersionCheck(TDataModule6& dm, const AppContext& context, QWidget* parent, QTimer* loginTimer);

#pragma once
#include "app/BuildStamp.h"

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

#pragma once

// The program's character set and number conventions, the same whatever the
// environment's language settings say (cron, services and bare ssh sessions
// start it with none, and the C library's character set is then ASCII).
namespace ProcessLocale {

// Once the Qt application object exists (its constructor takes the
// environment's locale): switches the C library's character type to UTF-8
// when the environment's is not (and says so in the environment too, which
// drivers read again and child processes inherit), so that the ODBC drivers'
// narrow texts are UTF-8, keeps the C library's numbers with a decimal point (the drivers
// convert numbers with it) and makes Russian the default number and date
// conventions of the program's own texts.
// Returns the character type in force afterwards.
const char* apply();

} // namespace ProcessLocale

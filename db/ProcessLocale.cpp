#include "db/ProcessLocale.h"

#include <QByteArray>
#include <QLocale>
#include <clocale>
#include <cstdlib>
#include <langinfo.h>

namespace ProcessLocale {

namespace {

bool utf8Ctype()
{
    const QByteArray set = QByteArray(nl_langinfo(CODESET)).toUpper();
    return set == "UTF-8" || set == "UTF8";
}

// The categories LC_ALL stands for when it is set.
const char* const kCategories[] = {"LC_COLLATE", "LC_MESSAGES", "LC_MONETARY", "LC_NUMERIC", "LC_TIME",
                                   "LC_ADDRESS", "LC_IDENTIFICATION", "LC_MEASUREMENT", "LC_NAME",
                                   "LC_PAPER", "LC_TELEPHONE"};

// The environment says the same character type, since a driver takes it
// from there again (the PostgreSQL driver calls setlocale(LC_CTYPE, "") on
// every connection): LC_ALL, which would outrank LC_CTYPE, is handed down to
// the other categories it stood for.
void exportCtype(const char* ctype)
{
    if (const char* all = std::getenv("LC_ALL"); all && *all) {
        const QByteArray value(all);
        for (const char* category : kCategories)
            setenv(category, value.constData(), 1);
        unsetenv("LC_ALL");
    }
    setenv("LC_CTYPE", ctype, 1);
}

} // namespace

const char* apply()
{
    if (!utf8Ctype()) {
        // The environment's language with UTF-8 where it is installed
        // ("ru_RU.KOI8-R" becomes "ru_RU.UTF-8"), else the C library's
        // built-in UTF-8 character type.
        QByteArray name = std::setlocale(LC_CTYPE, nullptr);
        if (const auto cut = name.indexOf('.'); cut >= 0)
            name.truncate(cut);
        if (const auto cut = name.indexOf('@'); cut >= 0)
            name.truncate(cut);
        const char* chosen = std::setlocale(LC_CTYPE, (name + ".UTF-8").constData());
        if (!chosen)
            chosen = std::setlocale(LC_CTYPE, "C.UTF-8");
        if (!chosen)
            chosen = std::setlocale(LC_CTYPE, "C.utf8");
        if (chosen)
            exportCtype(QByteArray(chosen).constData());
    }
    // Numbers pass between the drivers and the program as text with a
    // decimal point; the program formats its own with QLocale.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    return std::setlocale(LC_CTYPE, nullptr);
}

} // namespace ProcessLocale

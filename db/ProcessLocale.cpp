#include "db/ProcessLocale.h"

#include <QByteArray>
#include <QLocale>
#include <clocale>
#include <langinfo.h>

namespace ProcessLocale {

namespace {

bool utf8Ctype()
{
    const QByteArray set = QByteArray(nl_langinfo(CODESET)).toUpper();
    return set == "UTF-8" || set == "UTF8";
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
        if (!std::setlocale(LC_CTYPE, (name + ".UTF-8").constData()) && !std::setlocale(LC_CTYPE, "C.UTF-8"))
            std::setlocale(LC_CTYPE, "C.utf8");
    }
    // Numbers pass between the drivers and the program as text with a
    // decimal point; the program formats its own with QLocale.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    return std::setlocale(LC_CTYPE, nullptr);
}

} // namespace ProcessLocale

#include "reports/engine/PageModel.h"

namespace report {

QStringList Page::textsOf(const QString& item) const
{
    QStringList out;
    for (const TextPrimitive& t : texts) {
        if (t.item == item)
            out << t.text;
    }
    return out;
}

QStringList PageModel::textsOf(const QString& item) const
{
    QStringList out;
    for (const Page& page : pages)
        out << page.textsOf(item);
    return out;
}

} // namespace report

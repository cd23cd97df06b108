#include "db/NamedParams.h"

PositionalSql toPositional(const QString& sql)
{
    PositionalSql out;
    out.sql.reserve(sql.size());
    const int n = sql.size();
    QChar quote;
    for (int i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            out.sql += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            out.sql += c;
            continue;
        }
        if (c == u':' && i + 1 < n) {
            const QChar next = sql.at(i + 1);
            const bool prevColon = i > 0 && sql.at(i - 1) == u':';
            if (next == u':') {           // a cast: copy both colons
                out.sql += QStringLiteral("::");
                ++i;
                continue;
            }
            if (!prevColon && (next.isLetter() || next == u'_')) {
                int j = i + 1;
                while (j < n && (sql.at(j).isLetterOrNumber() || sql.at(j) == u'_'))
                    ++j;
                out.order << sql.mid(i + 1, j - i - 1).toLower();
                out.sql += u'?';
                i = j - 1;
                continue;
            }
        }
        out.sql += c;
    }
    return out;
}

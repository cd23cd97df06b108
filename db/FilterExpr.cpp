#include "db/FilterExpr.h"
#include "db/DbError.h"

#include <QDate>
#include <QDateTime>

struct FilterExpr::Node {
    enum Kind { Or, And, Not, Compare, Like, IsNull };
    enum Op { Eq, Ne, Lt, Le, Gt, Ge };
    Kind kind;
    Op op = Eq;
    int field = -1;
    bool negate = false;
    QVariant literal;        // QString or double
    std::unique_ptr<Node> left, right;
};

namespace {

struct Token {
    enum Type { End, Ident, String, Number, Op, LParen, RParen };
    Type type = End;
    QString text;
};

class Parser {
public:
    Parser(const QString& text, const QStringList& fields) : m_text(text), m_fields(fields) { advance(); }

    std::unique_ptr<FilterExpr::Node> parseAll()
    {
        auto node = parseOr();
        if (m_tok.type != Token::End)
            fail();
        return node;
    }

private:
    [[noreturn]] void fail() const
    {
        throw DbError(QStringLiteral("Неверное условие фильтра: %1").arg(m_text));
    }

    bool isKeyword(const char* word) const
    {
        return m_tok.type == Token::Ident && m_tok.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    void advance()
    {
        const int n = m_text.size();
        while (m_pos < n && m_text.at(m_pos).isSpace())
            ++m_pos;
        m_tok = Token();
        if (m_pos >= n)
            return;
        const QChar c = m_text.at(m_pos);
        if (c == u'\'') {
            QString s;
            ++m_pos;
            for (;;) {
                if (m_pos >= n)
                    fail();
                const QChar d = m_text.at(m_pos++);
                if (d == u'\'') {
                    if (m_pos < n && m_text.at(m_pos) == u'\'') {
                        s += u'\'';
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                s += d;
            }
            m_tok = {Token::String, s};
        } else if (c.isDigit() || ((c == u'-' || c == u'.') && m_pos + 1 < n && m_text.at(m_pos + 1).isDigit())) {
            const int start = m_pos++;
            while (m_pos < n && (m_text.at(m_pos).isDigit() || m_text.at(m_pos) == u'.'))
                ++m_pos;
            m_tok = {Token::Number, m_text.mid(start, m_pos - start)};
        } else if (c.isLetter() || c == u'_') {
            const int start = m_pos++;
            while (m_pos < n && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == u'_' || m_text.at(m_pos) == u'.'))
                ++m_pos;
            m_tok = {Token::Ident, m_text.mid(start, m_pos - start)};
        } else if (c == u'(') {
            ++m_pos;
            m_tok = {Token::LParen, QStringLiteral("(")};
        } else if (c == u')') {
            ++m_pos;
            m_tok = {Token::RParen, QStringLiteral(")")};
        } else if (c == u'=' || c == u'<' || c == u'>' || c == u'!') {
            QString op(c);
            ++m_pos;
            if (m_pos < n && (m_text.at(m_pos) == u'=' || (c == u'<' && m_text.at(m_pos) == u'>'))) {
                op += m_text.at(m_pos);
                ++m_pos;
            }
            if (op == QLatin1String("!"))
                fail();
            m_tok = {Token::Op, op};
        } else {
            fail();
        }
    }

    std::unique_ptr<FilterExpr::Node> parseOr()
    {
        auto left = parseAnd();
        while (isKeyword("or")) {
            advance();
            auto node = std::make_unique<FilterExpr::Node>();
            node->kind = FilterExpr::Node::Or;
            node->left = std::move(left);
            node->right = parseAnd();
            left = std::move(node);
        }
        return left;
    }

    std::unique_ptr<FilterExpr::Node> parseAnd()
    {
        auto left = parseUnary();
        while (isKeyword("and")) {
            advance();
            auto node = std::make_unique<FilterExpr::Node>();
            node->kind = FilterExpr::Node::And;
            node->left = std::move(left);
            node->right = parseUnary();
            left = std::move(node);
        }
        return left;
    }

    std::unique_ptr<FilterExpr::Node> parseUnary()
    {
        if (isKeyword("not")) {
            advance();
            auto node = std::make_unique<FilterExpr::Node>();
            node->kind = FilterExpr::Node::Not;
            node->left = parseUnary();
            return node;
        }
        if (m_tok.type == Token::LParen) {
            advance();
            auto node = parseOr();
            if (m_tok.type != Token::RParen)
                fail();
            advance();
            return node;
        }
        return parseComparison();
    }

    int fieldIndex(const QString& name) const
    {
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
                return i;
        throw DbError(QStringLiteral("Поле '%1' не найдено").arg(name));
    }

    QVariant parseLiteral()
    {
        QVariant v;
        if (m_tok.type == Token::String)
            v = m_tok.text;
        else if (m_tok.type == Token::Number) {
            bool ok = false;
            const double d = m_tok.text.toDouble(&ok);
            if (!ok)
                fail();
            v = d;
        } else
            fail();
        advance();
        return v;
    }

    std::unique_ptr<FilterExpr::Node> parseComparison()
    {
        if (m_tok.type != Token::Ident)
            fail();
        auto node = std::make_unique<FilterExpr::Node>();
        node->field = fieldIndex(m_tok.text);
        advance();
        if (isKeyword("is")) {
            advance();
            node->kind = FilterExpr::Node::IsNull;
            if (isKeyword("not")) {
                node->negate = true;
                advance();
            }
            if (!isKeyword("null"))
                fail();
            advance();
            return node;
        }
        if (isKeyword("not")) {
            node->negate = true;
            advance();
            if (!isKeyword("like"))
                fail();
        }
        if (isKeyword("like")) {
            advance();
            node->kind = FilterExpr::Node::Like;
            if (m_tok.type != Token::String)
                fail();
            node->literal = m_tok.text;
            advance();
            return node;
        }
        if (m_tok.type != Token::Op)
            fail();
        const QString op = m_tok.text;
        node->kind = FilterExpr::Node::Compare;
        if (op == QLatin1String("="))
            node->op = FilterExpr::Node::Eq;
        else if (op == QLatin1String("<>") || op == QLatin1String("!="))
            node->op = FilterExpr::Node::Ne;
        else if (op == QLatin1String("<"))
            node->op = FilterExpr::Node::Lt;
        else if (op == QLatin1String("<="))
            node->op = FilterExpr::Node::Le;
        else if (op == QLatin1String(">"))
            node->op = FilterExpr::Node::Gt;
        else if (op == QLatin1String(">="))
            node->op = FilterExpr::Node::Ge;
        else
            fail();
        advance();
        node->literal = parseLiteral();
        return node;
    }

    QString m_text;
    QStringList m_fields;
    int m_pos = 0;
    Token m_tok;
};

bool isNumericValue(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Long: case QMetaType::ULong: case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

int compareValues(const QVariant& value, const QVariant& literal, bool* comparable)
{
    *comparable = true;
    if (literal.metaType().id() == QMetaType::Double) {
        bool ok = isNumericValue(value);
        double d = 0;
        if (ok)
            d = value.toDouble();
        else
            d = value.toString().trimmed().toDouble(&ok);
        if (!ok) {
            *comparable = false;
            return 0;
        }
        const double l = literal.toDouble();
        return d < l ? -1 : (d > l ? 1 : 0);
    }
    const QString lit = literal.toString();
    const int type = value.metaType().id();
    if (type == QMetaType::QDate || type == QMetaType::QDateTime) {
        QDate date = QDate::fromString(lit, QStringLiteral("dd.MM.yyyy"));
        if (!date.isValid())
            date = QDate::fromString(lit, Qt::ISODate);
        if (!date.isValid()) {
            *comparable = false;
            return 0;
        }
        const QDate v = type == QMetaType::QDate ? value.toDate() : value.toDateTime().date();
        return v < date ? -1 : (v > date ? 1 : 0);
    }
    if (isNumericValue(value)) {
        bool ok = false;
        const double l = lit.toDouble(&ok);
        if (!ok) {
            *comparable = false;
            return 0;
        }
        const double d = value.toDouble();
        return d < l ? -1 : (d > l ? 1 : 0);
    }
    return QString::compare(value.toString(), lit, Qt::CaseSensitive);
}

bool likeAt(const QString& s, int si, const QString& p, int pi)
{
    const int sn = s.size(), pn = p.size();
    while (pi < pn) {
        QChar pc = p.at(pi);
        if (pc == u'%') {
            while (pi < pn && p.at(pi) == u'%')
                ++pi;
            if (pi == pn)
                return true;
            for (int k = si; k <= sn; ++k)
                if (likeAt(s, k, p, pi))
                    return true;
            return false;
        }
        if (si >= sn)
            return false;
        if (pc == u'_') {
            ++si;
            ++pi;
            continue;
        }
        if (pc == u'\\' && pi + 1 < pn)
            pc = p.at(++pi);
        if (s.at(si).toCaseFolded() != pc.toCaseFolded())
            return false;
        ++si;
        ++pi;
    }
    return si == sn;
}

bool evaluate(const FilterExpr::Node& n, const std::function<QVariant(int)>& value)
{
    switch (n.kind) {
    case FilterExpr::Node::Or:
        return evaluate(*n.left, value) || evaluate(*n.right, value);
    case FilterExpr::Node::And:
        return evaluate(*n.left, value) && evaluate(*n.right, value);
    case FilterExpr::Node::Not:
        return !evaluate(*n.left, value);
    case FilterExpr::Node::IsNull: {
        const bool isNull = value(n.field).isNull();
        return n.negate ? !isNull : isNull;
    }
    case FilterExpr::Node::Like: {
        const QVariant v = value(n.field);
        if (v.isNull())
            return false;
        const bool m = likeMatches(v.toString(), n.literal.toString());
        return n.negate ? !m : m;
    }
    case FilterExpr::Node::Compare: {
        const QVariant v = value(n.field);
        if (v.isNull())
            return false;
        bool comparable = true;
        const int c = compareValues(v, n.literal, &comparable);
        if (!comparable)
            return n.op == FilterExpr::Node::Ne;
        switch (n.op) {
        case FilterExpr::Node::Eq: return c == 0;
        case FilterExpr::Node::Ne: return c != 0;
        case FilterExpr::Node::Lt: return c < 0;
        case FilterExpr::Node::Le: return c <= 0;
        case FilterExpr::Node::Gt: return c > 0;
        case FilterExpr::Node::Ge: return c >= 0;
        }
    }
    }
    return false;
}

QString escapeLike(const QString& text)
{
    QString out;
    out.reserve(text.size() + 4);
    for (const QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out;
}

} // namespace

FilterExpr::FilterExpr() = default;
FilterExpr::~FilterExpr() = default;
FilterExpr::FilterExpr(FilterExpr&&) noexcept = default;
FilterExpr& FilterExpr::operator=(FilterExpr&&) noexcept = default;

FilterExpr FilterExpr::parse(const QString& text, const QStringList& fieldNames)
{
    FilterExpr expr;
    if (text.trimmed().isEmpty())
        return expr;
    Parser parser(text, fieldNames);
    expr.m_root = parser.parseAll();
    return expr;
}

bool FilterExpr::matches(const std::function<QVariant(int)>& value) const
{
    return !m_root || evaluate(*m_root, value);
}

bool likeMatches(const QString& value, const QString& pattern)
{
    return likeAt(value, 0, pattern, 0);
}

QString filterLiteral(const QString& text)
{
    QString out = text;
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

QString filterLikePrefix(const QString& field, const QString& text)
{
    return field + QStringLiteral(" like ") + filterLiteral(escapeLike(text) + u'%');
}

QString filterLikeContains(const QString& field, const QString& text)
{
    return field + QStringLiteral(" like ") + filterLiteral(u'%' + escapeLike(text) + u'%');
}

#include "reports/engine/Expression.h"
#include "reports/engine/DataSource.h"
#include "reports/engine/ReportError.h"

#include <QDate>
#include <QDateTime>
#include <cmath>

namespace report {

// ---- Value ---------------------------------------------------------------

Value Value::fromVariant(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return Value();
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return ofNumber(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return ofNumber(value.toDouble());
    case QMetaType::QDate:
        return ofText(value.toDate().toString(QStringLiteral("dd.MM.yyyy")));
    case QMetaType::QDateTime:
        return ofText(value.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
    default:
        return ofText(value.toString());
    }
}

namespace {

bool textToNumber(const QString& text, double* out)
{
    const QString t = text.trimmed();
    bool ok = false;
    double d = t.toDouble(&ok);
    if (!ok) {
        QString comma = t;
        comma.replace(QLatin1Char(','), QLatin1Char('.'));
        d = comma.toDouble(&ok);
    }
    if (ok && std::isfinite(d)) {
        *out = d;
        return true;
    }
    return false;
}

} // namespace

double Value::toNumber() const
{
    switch (type) {
    case Number:
        return number;
    case Text: {
        double d = 0;
        return textToNumber(text, &d) ? d : 0;
    }
    default:
        return 0;
    }
}

QString Value::toText(const QLocale& locale) const
{
    switch (type) {
    case Number:
        return NumberFormat().format(number, locale);
    case Text:
        return text;
    default:
        return QString();
    }
}

bool Value::isTrue() const
{
    switch (type) {
    case Number:
        return number != 0;
    case Text:
        return !text.isEmpty();
    default:
        return false;
    }
}

bool Value::operator==(const Value& o) const
{
    if (type != o.type)
        return false;
    switch (type) {
    case Number:
        return number == o.number;
    case Text:
        return text == o.text;
    default:
        return true;
    }
}

// ---- Tree ----------------------------------------------------------------

struct ExpressionBuilder {
    static Expression make(std::shared_ptr<const ExprNode> root, bool usesPage)
    {
        Expression e;
        e.m_root = std::move(root);
        e.m_usesPage = usesPage;
        return e;
    }
};

struct ExprNode {
    enum class Op { Const, Field, Page, Continued, Aggregate, Neg, Add, Sub, Mul, Div, Eq, Ne, Lt, Gt, Le, Ge, If, Str };
    Op op = Op::Const;
    Value constant;
    int index = -1;   // column or aggregate
    std::vector<std::unique_ptr<ExprNode>> args;
};

namespace {

using Node = ExprNode;
using Op = ExprNode::Op;

// <0, 0, >0. Texts compare as texts unless one side is a number and the
// text reads as one; NULL compares as 0 or as an empty text.
int compareValues(const Value& a, const Value& b, const QLocale& locale)
{
    if (a.type == Value::Text || b.type == Value::Text) {
        double x = 0, y = 0;
        const bool bothText = a.type == Value::Text && b.type == Value::Text;
        if (!bothText && a.type != Value::Null && b.type != Value::Null) {
            const bool okA = a.type == Value::Number || textToNumber(a.text, &x);
            const bool okB = b.type == Value::Number || textToNumber(b.text, &y);
            if (okA && okB) {
                x = a.toNumber();
                y = b.toNumber();
                return x < y ? -1 : (x > y ? 1 : 0);
            }
        }
        return a.toText(locale).compare(b.toText(locale));
    }
    const double x = a.toNumber(), y = b.toNumber();
    return x < y ? -1 : (x > y ? 1 : 0);
}

Value finite(double d)
{
    return Value::ofNumber(std::isfinite(d) ? d : 0);
}

Value eval(const Node& n, const EvalContext& ctx)
{
    switch (n.op) {
    case Op::Const:
        return n.constant;
    case Op::Field:
        return ctx.field(n.index);
    case Op::Page:
        return Value::ofNumber(ctx.pageNumber());
    case Op::Continued:
        return Value::ofNumber(ctx.continued() ? 1 : 0);
    case Op::Aggregate:
        return Value::ofNumber(ctx.aggregate(n.index));
    case Op::Neg:
        return finite(-eval(*n.args[0], ctx).toNumber());
    case Op::Add: {
        const Value a = eval(*n.args[0], ctx), b = eval(*n.args[1], ctx);
        if (a.type == Value::Text || b.type == Value::Text)
            return Value::ofText(a.toText(ctx.locale()) + b.toText(ctx.locale()));
        return finite(a.toNumber() + b.toNumber());
    }
    case Op::Sub:
        return finite(eval(*n.args[0], ctx).toNumber() - eval(*n.args[1], ctx).toNumber());
    case Op::Mul:
        return finite(eval(*n.args[0], ctx).toNumber() * eval(*n.args[1], ctx).toNumber());
    case Op::Div: {
        const double num = eval(*n.args[0], ctx).toNumber();
        const double den = eval(*n.args[1], ctx).toNumber();
        return finite(den == 0 ? 0 : num / den);
    }
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Gt:
    case Op::Le:
    case Op::Ge: {
        const int c = compareValues(eval(*n.args[0], ctx), eval(*n.args[1], ctx), ctx.locale());
        bool r = false;
        switch (n.op) {
        case Op::Eq: r = c == 0; break;
        case Op::Ne: r = c != 0; break;
        case Op::Lt: r = c < 0; break;
        case Op::Gt: r = c > 0; break;
        case Op::Le: r = c <= 0; break;
        default: r = c >= 0; break;
        }
        return Value::ofNumber(r ? 1 : 0);
    }
    case Op::If:
        return eval(*n.args[0], ctx).isTrue() ? eval(*n.args[1], ctx) : eval(*n.args[2], ctx);
    case Op::Str:
        return Value::ofText(eval(*n.args[0], ctx).toText(ctx.locale()));
    }
    return Value();
}

// ---- Tokens and parser ---------------------------------------------------

struct Token {
    enum Kind { Number, String, Name, Symbol, End };
    Kind kind = End;
    QString text;
    double number = 0;
};

class Parser {
public:
    Parser(const QString& source, const DataSource& data, const QStringList& groups, std::vector<Aggregate>& aggregates,
           int sumReset)
        : m_source(source), m_data(data), m_groups(groups), m_aggregates(aggregates), m_sumReset(sumReset)
    {
        tokenize();
    }

    std::unique_ptr<Node> parseAll()
    {
        if (m_tokens.size() == 1)
            fail(QStringLiteral("пустое выражение"));
        auto root = parseComparison();
        if (peek().kind != Token::End)
            fail(QStringLiteral("лишний текст \"%1\"").arg(peek().text));
        return root;
    }

    bool usesPage() const { return m_usesPage; }

private:
    [[noreturn]] void fail(const QString& what) const
    {
        throw ReportError(QStringLiteral("Ошибка в выражении \"%1\": %2").arg(m_source, what));
    }

    void tokenize()
    {
        const QString& s = m_source;
        int i = 0;
        while (i < s.size()) {
            const QChar c = s.at(i);
            if (c.isSpace()) {
                ++i;
            } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < s.size() && s.at(i + 1).isDigit())) {
                const int start = i;
                while (i < s.size() && (s.at(i).isDigit() || s.at(i) == QLatin1Char('.')))
                    ++i;
                Token t;
                t.kind = Token::Number;
                t.text = s.mid(start, i - start);
                bool ok = false;
                t.number = t.text.toDouble(&ok);
                if (!ok)
                    fail(QStringLiteral("неверное число \"%1\"").arg(t.text));
                m_tokens.push_back(t);
            } else if (c == QLatin1Char('\'')) {
                Token t;
                t.kind = Token::String;
                ++i;
                bool closed = false;
                while (i < s.size()) {
                    if (s.at(i) == QLatin1Char('\'')) {
                        if (i + 1 < s.size() && s.at(i + 1) == QLatin1Char('\'')) {
                            t.text += QLatin1Char('\'');
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    t.text += s.at(i++);
                }
                if (!closed)
                    fail(QStringLiteral("не закрыта кавычка"));
                m_tokens.push_back(t);
            } else if (c.isLetter() || c == QLatin1Char('_')) {
                const int start = i;
                while (i < s.size() && (s.at(i).isLetterOrNumber() || s.at(i) == QLatin1Char('_')))
                    ++i;
                Token t;
                t.kind = Token::Name;
                t.text = s.mid(start, i - start);
                m_tokens.push_back(t);
            } else {
                Token t;
                t.kind = Token::Symbol;
                const QString two = s.mid(i, 2);
                if (two == QLatin1String("<>") || two == QLatin1String("<=") || two == QLatin1String(">=")) {
                    t.text = two;
                    i += 2;
                } else if (QStringLiteral("+-*/()=<>,").contains(c)) {
                    t.text = c;
                    ++i;
                } else {
                    fail(QStringLiteral("недопустимый знак \"%1\"").arg(c));
                }
                m_tokens.push_back(t);
            }
        }
        m_tokens.push_back(Token());
    }

    const Token& peek() const { return m_tokens[m_pos]; }
    Token take() { return m_tokens[m_pos++]; }
    bool isSymbol(const char* sym) const { return peek().kind == Token::Symbol && peek().text == QLatin1String(sym); }
    void expect(const char* sym)
    {
        if (!isSymbol(sym))
            fail(peek().kind == Token::End ? QStringLiteral("ожидается \"%1\"").arg(QLatin1String(sym))
                                           : QStringLiteral("ожидается \"%1\" вместо \"%2\"")
                                                 .arg(QLatin1String(sym), peek().text));
        ++m_pos;
    }

    static std::unique_ptr<Node> make(Op op, std::unique_ptr<Node> a = nullptr, std::unique_ptr<Node> b = nullptr)
    {
        auto n = std::make_unique<Node>();
        n->op = op;
        if (a)
            n->args.push_back(std::move(a));
        if (b)
            n->args.push_back(std::move(b));
        return n;
    }

    std::unique_ptr<Node> parseComparison()
    {
        auto left = parseAdditive();
        static const struct { const char* sym; Op op; } ops[] = {
            {"=", Op::Eq}, {"<>", Op::Ne}, {"<", Op::Lt}, {">", Op::Gt}, {"<=", Op::Le}, {">=", Op::Ge}};
        for (const auto& o : ops) {
            if (isSymbol(o.sym)) {
                ++m_pos;
                return make(o.op, std::move(left), parseAdditive());
            }
        }
        return left;
    }

    std::unique_ptr<Node> parseAdditive()
    {
        auto left = parseTerm();
        while (isSymbol("+") || isSymbol("-")) {
            const Op op = take().text == QLatin1String("+") ? Op::Add : Op::Sub;
            left = make(op, std::move(left), parseTerm());
        }
        return left;
    }

    std::unique_ptr<Node> parseTerm()
    {
        auto left = parseUnary();
        while (isSymbol("*") || isSymbol("/")) {
            const Op op = take().text == QLatin1String("*") ? Op::Mul : Op::Div;
            left = make(op, std::move(left), parseUnary());
        }
        return left;
    }

    std::unique_ptr<Node> parseUnary()
    {
        if (isSymbol("-")) {
            ++m_pos;
            return make(Op::Neg, parseUnary());
        }
        if (isSymbol("+")) {
            ++m_pos;
            return parseUnary();
        }
        return parsePrimary();
    }

    std::vector<std::unique_ptr<Node>> parseArguments(const QString& function, int minCount, int maxCount)
    {
        expect("(");
        std::vector<std::unique_ptr<Node>> args;
        if (!isSymbol(")")) {
            args.push_back(parseComparison());
            while (isSymbol(",")) {
                ++m_pos;
                args.push_back(parseComparison());
            }
        }
        expect(")");
        if (int(args.size()) < minCount || int(args.size()) > maxCount)
            fail(QStringLiteral("неверное число аргументов %1").arg(function));
        return args;
    }

    std::unique_ptr<Node> parseSum(const QString& function)
    {
        if (m_inSum)
            fail(QStringLiteral("SUM внутри SUM"));
        expect("(");
        m_inSum = true;
        const size_t argumentStart = m_pos;
        auto argument = parseComparison();
        const size_t argumentEnd = m_pos;
        m_inSum = false;
        int reset = m_sumReset;
        if (isSymbol(",")) {
            ++m_pos;
            const Token scope = take();
            if (scope.kind != Token::Name && scope.kind != Token::String)
                fail(QStringLiteral("после запятой в %1 ожидается имя группы или REPORT").arg(function));
            if (scope.text.compare(QLatin1String("REPORT"), Qt::CaseInsensitive) == 0) {
                reset = -1;
            } else {
                reset = -1;
                for (int g = 0; g < m_groups.size(); ++g) {
                    if (m_groups[g].compare(scope.text, Qt::CaseInsensitive) == 0)
                        reset = g;
                }
                if (reset < 0)
                    fail(QStringLiteral("неизвестная группа \"%1\"").arg(scope.text));
            }
        }
        expect(")");

        // One sum of the same argument and reset serves every place that
        // prints it: it is added up once per row.
        QString key = QString::number(reset);
        for (size_t i = argumentStart; i < argumentEnd; ++i) {
            const Token& t = m_tokens[i];
            key += QLatin1Char('\x1f') + QString::number(int(t.kind)) + QLatin1Char(':')
                   + (t.kind == Token::Name ? t.text.toUpper() : t.text) + QLatin1Char(':')
                   + (t.kind == Token::Number ? QString::number(t.number, 'g', 17) : QString());
        }
        for (size_t i = 0; i < m_aggregates.size(); ++i) {
            if (m_aggregates[i].key == key) {
                auto n = make(Op::Aggregate);
                n->index = int(i);
                return n;
            }
        }

        // The argument is compiled as an expression of its own: it is
        // evaluated on every row, apart from where the sum is printed.
        Aggregate agg;
        agg.key = key;
        agg.argument = ExpressionBuilder::make(std::shared_ptr<const Node>(std::move(argument)), false);
        agg.resetGroup = reset;
        m_aggregates.push_back(agg);
        auto n = make(Op::Aggregate);
        n->index = int(m_aggregates.size()) - 1;
        return n;
    }

    std::unique_ptr<Node> parsePrimary()
    {
        const Token t = take();
        switch (t.kind) {
        case Token::Number: {
            auto n = make(Op::Const);
            n->constant = Value::ofNumber(t.number);
            return n;
        }
        case Token::String: {
            auto n = make(Op::Const);
            n->constant = Value::ofText(t.text);
            return n;
        }
        case Token::Name: {
            const QString upper = t.text.toUpper();
            if (isSymbol("(")) {
                if (upper == QLatin1String("SUM"))
                    return parseSum(upper);
                if (upper == QLatin1String("IF")) {
                    auto n = make(Op::If);
                    n->args = parseArguments(upper, 3, 3);
                    return n;
                }
                if (upper == QLatin1String("STR")) {
                    auto n = make(Op::Str);
                    n->args = parseArguments(upper, 1, 1);
                    return n;
                }
                if (upper == QLatin1String("PAGENUMBER")) {
                    parseArguments(upper, 0, 0);
                    m_usesPage = true;
                    return make(Op::Page);
                }
                fail(QStringLiteral("неизвестная функция \"%1\"").arg(t.text));
            }
            if (upper == QLatin1String("PAGENUMBER")) {
                m_usesPage = true;
                return make(Op::Page);
            }
            if (upper == QLatin1String("CONTINUED"))
                return make(Op::Continued);
            const int column = m_data.columnIndex(t.text);
            if (column < 0)
                fail(QStringLiteral("неизвестное поле \"%1\"").arg(t.text));
            auto n = make(Op::Field);
            n->index = column;
            return n;
        }
        case Token::Symbol:
            if (t.text == QLatin1String("(")) {
                auto inner = parseComparison();
                expect(")");
                return inner;
            }
            fail(QStringLiteral("неожиданный знак \"%1\"").arg(t.text));
        case Token::End:
            break;
        }
        fail(QStringLiteral("выражение не закончено"));
    }

    QString m_source;
    const DataSource& m_data;
    const QStringList& m_groups;
    std::vector<Aggregate>& m_aggregates;
    int m_sumReset;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    bool m_inSum = false;
    bool m_usesPage = false;
};

} // namespace

Value Expression::evaluate(const EvalContext& context) const
{
    return m_root ? eval(*m_root, context) : Value();
}

ExpressionCompiler::ExpressionCompiler(const DataSource& source, const QStringList& groupNames)
    : m_source(source), m_groupNames(groupNames)
{
}

Expression ExpressionCompiler::compile(const QString& text, int sumResetGroup)
{
    Parser parser(text, m_source, m_groupNames, m_aggregates, sumResetGroup);
    std::shared_ptr<const Node> root(parser.parseAll());
    return ExpressionBuilder::make(std::move(root), parser.usesPage());
}

} // namespace report

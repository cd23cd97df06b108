#pragma once
#include "reports/engine/NumberFormat.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace report {

class DataSource;

// A value an expression works with. Dates arrive as their text.
struct Value {
    enum Type : quint8 { Null, Number, Text };
    Type type = Null;
    double number = 0;
    QString text;

    static Value ofNumber(double n) { Value v; v.type = Number; v.number = n; return v; }
    static Value ofText(const QString& t) { Value v; v.type = Text; v.text = t; return v; }
    static Value fromVariant(const QVariant& value);

    // NULL is 0; a text is its number when it reads as one, otherwise 0.
    double toNumber() const;
    // NULL is ""; a number is printed in the default format.
    QString toText(const QLocale& locale) const;
    bool isTrue() const;
    bool operator==(const Value& o) const;
};

// What an expression reads while it is evaluated.
class EvalContext {
public:
    virtual ~EvalContext() = default;
    virtual Value field(int column) const = 0;
    virtual int pageNumber() const = 0;
    virtual double aggregate(int index) const = 0;
    virtual const QLocale& locale() const = 0;
    // True while a group header is laid out again on a page that its
    // group continues on.
    virtual bool continued() const { return false; }
};

struct ExprNode;

// A compiled expression; cheap to copy.
class Expression {
public:
    Expression() = default;
    bool isValid() const { return bool(m_root); }
    Value evaluate(const EvalContext& context) const;
    bool usesPageNumber() const { return m_usesPage; }

private:
    friend struct ExpressionBuilder;
    std::shared_ptr<const ExprNode> m_root;
    bool m_usesPage = false;
};

// A running sum: the argument is added on every row; it restarts after the
// footer of `resetGroup` (-1: never, it totals the whole report).
struct Aggregate {
    Expression argument;
    int resetGroup = -1;
    QString key;   // the argument's tokens and the reset: equal sums are one
};

// Compiles expression texts against the source's columns and the report's
// group names, collecting the running sums they contain.
//
// Syntax: numbers (1.2), texts in single quotes ('a''b'), field names,
// + - * / and parentheses, comparisons = <> < > <= >= (1 or 0),
// IF(cond, a, b), STR(x), SUM(x) / SUM(x, group) / SUM(x, REPORT),
// PAGENUMBER, CONTINUED (1 in a group header repeated on a page that its
// group continues on, else 0). '+' joins texts when either side is a text. Division by zero
// yields 0. Names of functions and fields are case-insensitive.
class ExpressionCompiler {
public:
    ExpressionCompiler(const DataSource& source, const QStringList& groupNames);

    // `sumResetGroup`: what a SUM without a second argument restarts with
    // (the group whose band holds it; -1 the report). Throws ReportError.
    Expression compile(const QString& text, int sumResetGroup);

    const std::vector<Aggregate>& aggregates() const { return m_aggregates; }

private:
    const DataSource& m_source;
    QStringList m_groupNames;
    std::vector<Aggregate> m_aggregates;
};

} // namespace report

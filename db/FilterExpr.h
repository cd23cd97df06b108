#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

// The client-side filter language of datasets, parsed once into a tree and
// evaluated per row:
//   fio like 'Ив%'   marka like '%12%'   o_id=12   i_id<>7777   naimen=0
//   a=1 and (b like 'x%' or c is null)   not d=2
// `like` is case-insensitive and Unicode-aware; '%' and '_' are its
// wildcards and a backslash takes the next character literally. A quote
// inside a literal is doubled. Numbers compare as numbers; texts exactly.
class FilterExpr {
public:
    struct Node;

    // Parses `text` against the given field names (case-insensitive).
    // Throws DbError when the text does not parse or names an unknown field.
    static FilterExpr parse(const QString& text, const QStringList& fieldNames);

    FilterExpr();
    ~FilterExpr();
    FilterExpr(FilterExpr&&) noexcept;
    FilterExpr& operator=(FilterExpr&&) noexcept;

    bool isEmpty() const { return !m_root; }
    // `value(i)` gives the value of field i of the row being tested.
    bool matches(const std::function<QVariant(int)>& value) const;

private:
    std::unique_ptr<Node> m_root;
};

// Quotes typed text as a filter literal: O'Brien -> 'O''Brien'.
QString filterLiteral(const QString& text);
// `field like 'text%'` (begins with) and `field like '%text%'` (contains),
// with the typed text's own %, _ and \ taken literally.
QString filterLikePrefix(const QString& field, const QString& text);
QString filterLikeContains(const QString& field, const QString& text);

// The `like` matcher itself, exposed for reuse: case-insensitive,
// '%' any run, '_' one character, '\' escapes.
bool likeMatches(const QString& value, const QString& pattern);

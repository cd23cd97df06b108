#include "db/DbError.h"
#include "db/FilterExpr.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    QVariant id;
    QVariant fio;
    QVariant cena;
};

bool matches(const QString& filter, const Row& row)
{
    const FilterExpr e = FilterExpr::parse(filter, {"ID", "fio", "cena"});
    return e.matches([&](int c) { return c == 0 ? row.id : (c == 1 ? row.fio : row.cena); });
}

struct Case {
    const char* filter;
    Row row;
    bool expected;
};

} // namespace

TEST(FilterExpr, TableOfCases)
{
    const Case cases[] = {
        {"fio like 'Ив%'", {1, "Иванов И.И.", 1.5}, true},
        {"fio like 'ив%'", {1, "Иванов И.И.", 1.5}, true},            // letter case, Cyrillic
        {"fio like 'ИВАН%'", {1, "иванова", 1.5}, true},
        {"fio like 'ван%'", {1, "Иванов", 1.5}, false},                // prefix only
        {"fio like '%ван%'", {1, "Иванов", 1.5}, true},                // contains
        {"fio like '%Ё%'", {1, "Фёдоров", 1.5}, true},
        {"fio like 'О''Б%'", {1, "О'Брайен", 1.5}, true},              // doubled quote
        {"fio like 'a_c'", {1, "abc", 0}, true},
        {"fio like 'a_c'", {1, "abbc", 0}, false},
        {"fio like 'a\\%%'", {1, "a%b", 0}, true},                     // escaped wildcard
        {"fio like 'a\\%%'", {1, "ab", 0}, false},
        {"id=12", {12, "x", 0}, true},
        {"ID=12", {"12", "x", 0}, true},                               // exact decimal read as text
        {"id<>7777", {7777, "x", 0}, false},
        {"id!=7777", {7776, "x", 0}, true},
        {"cena>=1.5", {1, "x", 1.5}, true},
        {"cena<1.5", {1, "x", 1.5}, false},
        {"id=12", {QVariant(), "x", 0}, false},                        // NULL never equals
        {"fio='Иванов'", {1, "иванов", 0}, false},                     // '=' on text is exact
        {"id=1 and fio like 'a%'", {1, "abc", 0}, true},
        {"id=2 or fio like 'z%'", {1, "abc", 0}, false},
        {"not (id=2 or id=3)", {1, "abc", 0}, true},
        {"fio is null", {1, QVariant(), 0}, true},
        {"", {1, "abc", 0}, true},                                      // empty filter keeps all
    };
    for (const Case& c : cases)
        EXPECT_EQ(matches(QString::fromUtf8(c.filter), c.row), c.expected) << c.filter;
}

TEST(FilterExpr, TypedTextIsQuotedAndEscaped)
{
    const QString typed = QStringLiteral("O'Br_an%\\");
    EXPECT_EQ(filterLikePrefix("fio", typed).toStdString(), "fio like 'O''Br\\_an\\%\\\\%'");
    EXPECT_TRUE(matches(filterLikePrefix("fio", typed), {1, "o'br_an%\\ и ещё", 0}));
    EXPECT_FALSE(matches(filterLikePrefix("fio", typed), {1, "O'Brian%\\", 0}));   // '_' is literal
    EXPECT_TRUE(matches(filterLikeContains("fio", QStringLiteral("50%")), {1, "Скидка 50% всем", 0}));
    EXPECT_FALSE(matches(filterLikeContains("fio", QStringLiteral("50%")), {1, "Скидка 500", 0}));
}

TEST(FilterExpr, BadTextIsADatabaseStyleError)
{
    for (const char* bad : {"fio like 'open", "nosuch=1", "id=", "id = 1 and", "(id=1"})
        EXPECT_THROW(FilterExpr::parse(QString::fromUtf8(bad), {"id", "fio"}), DbError) << bad;
}

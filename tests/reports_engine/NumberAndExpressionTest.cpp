#include "reports/engine/ReportEngine.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace report;

namespace {

const QLocale kRussian(QLocale::Russian, QLocale::Russia);
const QString kNbsp = QString(QChar(0x00A0));

// One row with numbers, texts, a NULL and a number held as text (as the
// driver hands over exact decimals).
TableSource oneRow()
{
    return TableSource({"a", "b", "z", "s", "n", "color", "txtnum"},
                       {{10, 4.0, 0, "abc", QVariant(), 5, "12.5"}});
}

// What one expression item prints on that row.
QString printed(const QString& expression, const QString& mask = QString())
{
    ReportDefinition def;
    def.detail.height = 5;
    def.detail.addExpression({0, 0, 50, 5}, expression, mask).setName("x");
    return layoutReport(def, oneRow()).textsOf("x").value(0);
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ReportError& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}

} // namespace

TEST(EngineNumberFormatTest, MasksAndDefaultFormatUseTheRussianLocale)
{
    struct Case {
        double value;
        const char* mask;
        QString expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {1234.5, "#0.00", "1234,50"},
        {2.675, "#0.00", "2,68"},        // stored as 2.67499..., printed as written
        {-2.675, "#0.00", "-2,68"},
        {1.0005, "#0.000", "1,001"},
        {0.1 + 0.2, "#0.000", "0,300"},
        {2.5, "#0", "3"},
        {-2.5, "#0", "-3"},
        {-0.4, "#0", "0"},               // no "-0"
        {-0.001, "#0.00", "0,00"},
        {7, "000", "007"},
        {1.5, "#0.0#", "1,5"},
        {1.256, "#0.0#", "1,26"},
        // Large amounts keep their last digits.
        {5000000000.0, "#0.00", "5000000000,00"},
        {-9300000000002.0, "#0.00", "-9300000000002,00"},
        {123456789012.345, "#0.00", "123456789012,35"},
        {1234567.891, "#,##0.00", "1" + kNbsp + "234" + kNbsp + "567,89"},
        {-123456.5, "#,##0.0", "-123" + kNbsp + "456,5"},
        {1234, "#,##0", "1" + kNbsp + "234"},
        {999, "#,##0", "999"},
        {0.5, "#.00", ",50"},
        {12, "", "12"},
        {12.5, "", "12,5"},
        {1e6, "", "1000000"},
        {0.1 + 0.2, "", "0,3"},
        {1.0 / 3, "", "0,333333333333333"},
        {-0.0, "", "0"},
        {inf, "#0.00", "0,00"},
        {std::nan(""), "", "0"},
    };
    for (const Case& c : cases) {
        const NumberFormat f = NumberFormat::parse(c.mask);
        EXPECT_EQ(f.format(c.value, kRussian), c.expected) << c.value << " " << c.mask;
    }
    // The separator is the locale's, not the program's default.
    EXPECT_EQ(NumberFormat::parse("#0.00").format(1.5, QLocale::c()), "1.50");
}

TEST(EngineNumberFormatTest, MalformedMasksAreRejected)
{
    for (const char* mask : {"abc", "#0.00 р.", "0.#0", "0#", "#0.0.0", "#0.0,0", "."})
        EXPECT_NE(errorOf([&] { NumberFormat::parse(mask); }), "<no error>") << mask;
}

TEST(EngineExpressionTest, EvaluatesOverTheCurrentRow)
{
    struct Case {
        const char* expression;
        const char* mask;
        QString expected;
    };
    const Case cases[] = {
        {"a + b * 2", "", "18"},
        {"(a + b) * 2", "", "28"},
        {"a - b - 1", "", "5"},
        {"a / b", "", "2,5"},
        {"-a + 3", "", "-7"},
        {"a / z", "", "0"},                      // division by zero yields 0
        {"a / (b - 4)", "#0.00", "0,00"},
        {"IF(z = 0, 0, a / z)", "#0.00", "0,00"},
        {"IF(b > 3, 'да', 'нет')", "", "да"},
        {"IF(b >= 5, 'да', 'нет')", "", "нет"},
        {"IF(a <= 10, 1, 2)", "", "1"},
        {"IF(s <> 'abc', 1, 2)", "", "2"},
        {"IF(s = 'abc', 1, 2)", "", "1"},
        {"IF(txtnum > 9, 1, 2)", "", "1"},       // compared as a number, not as text
        {"IF(color = 1, ' (грунт)', IF(color > 1, ' (RAL: ' + STR(color) + ')', ' '))", "", " (RAL: 5)"},
        {"STR(a / b)", "", "2,5"},
        {"s + a", "", "abc10"},
        {"'it''s'", "", "it's"},
        {"n + 1", "", "1"},                      // NULL counts as 0
        {"n", "", ""},
        {"n", "#0.00", "0,00"},
        {"txtnum * 2", "", "25"},
        {"SUM(A) + a", "", "20"},                // names in any letter case
        {"PAGENUMBER", "", "1"},
        {"1.005", "#0.00", "1,01"},
        {"a * 1000000 / 3", "#,##0.00", "3" + kNbsp + "333" + kNbsp + "333,33"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(printed(c.expression, c.mask), c.expected) << c.expression;
}

TEST(EngineExpressionTest, MistakesAreReportedWithTheExpression)
{
    struct Case {
        const char* expression;
        const char* message;
    };
    const Case cases[] = {
        {"a +", "выражение не закончено"},
        {"unknown + 1", "неизвестное поле \"unknown\""},
        {"FOO(a)", "неизвестная функция \"FOO\""},
        {"IF(a, b)", "неверное число аргументов IF"},
        {"SUM(SUM(a))", "SUM внутри SUM"},
        {"SUM(a, nogroup)", "неизвестная группа \"nogroup\""},
        {"'abc", "не закрыта кавычка"},
        {"a b", "лишний текст \"b\""},
        {"a # b", "недопустимый знак \"#\""},
        {"(a + b", "ожидается \")\""},
        {"", "пустое выражение"},
    };
    for (const Case& c : cases) {
        const QString text = errorOf([&] { printed(c.expression); });
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.message))) << c.expression << ": " << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("\"%1\"").arg(c.expression))) << text.toStdString();
    }
}

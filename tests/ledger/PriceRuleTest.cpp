// The price of a shift record and how prices and sums are rounded and shown,
// and what the record editor takes for complete input.
#include "ledger/PriceRule.h"
#include "ledger/RecordEntry.h"

#include <QDate>
#include <limits>
#include <gtest/gtest.h>

TEST(PriceRule, FactorsOfDayOffAndShiftMultiply)
{
    struct Case {
        double list;
        int shift;
        bool dayOff;
        const char* shown;
        const char* sql;
    };
    const Case cases[] = {
        {100, 1, false, "100", "100"},
        {100, 2, false, "100", "100"},
        {100, 3, false, "120", "120"},
        {100, 4, false, "150", "150"},
        {100, 1, true, "200", "200"},
        {100, 2, true, "200", "200"},
        {100, 3, true, "240", "240"},     // 2 x 1.2
        {100, 4, true, "300", "300"},     // 2 x 1.5
        {2.5, 3, false, "3", "3"},
        {0.1, 3, true, "0,24", "0.24"},
        {12.34567, 1, false, "12,3457", "12.3457"},
        {0, 4, true, "0", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.list << " shift " << c.shift << (c.dayOff ? " day off" : ""));
        const double price = PriceRule::finalPrice(c.list, c.shift, c.dayOff);
        EXPECT_EQ(PriceRule::displayText(price, u','), QString::fromUtf8(c.shown));
        EXPECT_EQ(PriceRule::sqlText(price), QString::fromUtf8(c.sql));
    }
}

TEST(PriceRule, RoundsToFourPlacesWithTiesToEven)
{
    struct Case {
        double value;
        qint64 units;
        const char* shown;
    };
    const Case cases[] = {
        {0.03125, 312, "0,0312"},    // tie: down to the even 2
        {0.09375, 938, "0,0938"},    // tie: up to the even 8
        {0.15625, 1562, "0,1562"},
        {0.21875, 2188, "0,2188"},
        {12.34567, 123457, "12,3457"},
        {240.00000000000003, 2400000, "240"},
        {1.5, 15000, "1,5"},
        {7.25, 72500, "7,25"},
        {1234567.8, 12345678000, "1234567,8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(PriceRule::units(c.value), c.units);
        EXPECT_EQ(PriceRule::displayText(c.value, u','), QString::fromUtf8(c.shown));
        EXPECT_DOUBLE_EQ(PriceRule::round4(c.value), double(c.units) / 10000);
    }
    // The shown form follows the locale's separator.
    EXPECT_EQ(PriceRule::displayText(12.34567, u'.'), "12.3457");
    // A sum is rounded once, after multiplying: 7 x 240 = 1680, 3 x 0.03125 = 0.09375.
    EXPECT_EQ(PriceRule::displayText(7 * PriceRule::finalPrice(100, 3, true), u','), "1680");
    EXPECT_EQ(PriceRule::displayText(3 * 0.03125, u','), "0,0938");
}

TEST(PriceRule, RecordEditorInputIsCompleteOnlyWithEveryFieldFilled)
{
    const RecordEntry::Input full{"Иванов И.И.", "СТ-100; Резка; Готовая продукция", "7", "0", "8", ""};
    EXPECT_TRUE(RecordEntry::isComplete(full));
    // Each required field empty, or holding blanks only, makes it incomplete.
    QString RecordEntry::Input::*fields[] = {&RecordEntry::Input::worker, &RecordEntry::Input::operation,
                                             &RecordEntry::Input::quantity, &RecordEntry::Input::rejects,
                                             &RecordEntry::Input::hours};
    for (auto field : fields) {
        for (const char* value : {"", "   "}) {
            RecordEntry::Input input = full;
            input.*field = QString::fromUtf8(value);
            EXPECT_FALSE(RecordEntry::isComplete(input)) << "'" << value << "'";
        }
    }
    // A painting operation, in any letter case, needs a colour.
    for (const char* operation : {"СТ-100; Окраска КРАСКА; Заготовки", "СТ-100; краска белая; Заготовки",
                                  "КрАсКа-1; Резка; Готовая продукция"}) {
        RecordEntry::Input input = full;
        input.operation = QString::fromUtf8(operation);
        EXPECT_TRUE(RecordEntry::isPainting(input.operation)) << operation;
        input.colour = "  ";
        EXPECT_FALSE(RecordEntry::isComplete(input)) << operation;
        input.colour = "9003";
        EXPECT_TRUE(RecordEntry::isComplete(input)) << operation;
    }
    EXPECT_FALSE(RecordEntry::isPainting("СТ-100; Резка; Готовая продукция"));
}

TEST(PriceRule, RecordEditorWholeNumbersAndColour)
{
    EXPECT_EQ(RecordEntry::colourCode(""), 0);
    EXPECT_EQ(RecordEntry::colourCode("  "), 0);
    EXPECT_EQ(RecordEntry::colourCode("0042"), 42);
    EXPECT_EQ(RecordEntry::colourCode("2147483647"), 2147483647);
    // Too long for an integer, or not a number at all: refused.
    EXPECT_THROW(RecordEntry::colourCode("2147483648"), RecordEntry::InputError);
    EXPECT_THROW(RecordEntry::colourCode("99999999999999999999"), RecordEntry::InputError);
    EXPECT_THROW(RecordEntry::wholeNumber("12a", 1000), RecordEntry::InputError);
    EXPECT_THROW(RecordEntry::wholeNumber("-1", 1000), RecordEntry::InputError);
    EXPECT_THROW(RecordEntry::wholeNumber("1 2", 1000), RecordEntry::InputError);
    EXPECT_EQ(RecordEntry::wholeNumber(" 17 ", 1000), 17);
    try {
        RecordEntry::colourCode("2147483648");
    } catch (const RecordEntry::InputError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), "'2147483648' не является целым числом");
    }
}

TEST(PriceRule, ValuesPastTheExactRangeAreKnownAndNeverOverflow)
{
    struct Case {
        double value;
        bool inRange;
        const char* shown;
    };
    const Case cases[] = {
        {99999999999.9999, true, "99999999999,9999"},
        {-99999999999.9999, true, "-99999999999,9999"},
        {1e11, false, "100000000000"},
        {6 * 999999999999.0, false, "5999999999994"},   // a 12-digit quantity at 6 each
        {1e20, false, "100000000000000000000"},
        {-1e20, false, "-100000000000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(PriceRule::inRange(c.value), c.inRange);
        EXPECT_EQ(PriceRule::displayText(c.value, u','), QString::fromUtf8(c.shown));
        if (!c.inRange)
            EXPECT_EQ(PriceRule::round4(c.value), c.value);   // left as it is, not wrapped
    }
    EXPECT_FALSE(PriceRule::inRange(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(PriceRule::inRange(std::numeric_limits<double>::infinity()));
    // The units of a value past the range stop at its edge instead of wrapping.
    EXPECT_EQ(PriceRule::units(1e20), qint64(1e15));
    EXPECT_EQ(PriceRule::units(-1e20), -qint64(1e15));
}

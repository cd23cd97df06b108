#include "ledger/MonthRange.h"
#include "timesheets/TForm19.h"

#include <gtest/gtest.h>

TEST(MonthRangeTest, BoundsAreHalfOpenAndDecemberEndsOnTheFirstOfJanuary)
{
    struct Case {
        int year, month;
        QDate first, next;
        int days;
    } cases[] = {
        {2012, 2, {2012, 2, 1}, {2012, 3, 1}, 29},
        {2024, 2, {2024, 2, 1}, {2024, 3, 1}, 29},
        {2023, 2, {2023, 2, 1}, {2023, 3, 1}, 28},
        {2026, 12, {2026, 12, 1}, {2027, 1, 1}, 31},
        {2026, 4, {2026, 4, 1}, {2026, 5, 1}, 30},
    };
    for (const Case& c : cases) {
        const MonthRange m(c.year, c.month);
        EXPECT_EQ(m.first(), c.first) << c.year << "/" << c.month;
        EXPECT_EQ(m.next(), c.next) << c.year << "/" << c.month;
        EXPECT_EQ(m.days(), c.days) << c.year << "/" << c.month;
    }
    EXPECT_EQ(MonthRange::monthName(3), "Март");
    EXPECT_EQ(MonthRange::monthNames().size(), 12);
}

TEST(MonthRangeTest, February2012HasRedWeekendsAndSilverTitlesPastItsEnd)
{
    const QVector<DayColumnLook> looks = dayColumnLooks(MonthRange(2012, 2));
    ASSERT_EQ(looks.size(), 31);
    const QList<int> weekends{4, 5, 11, 12, 18, 19, 25, 26};
    for (const DayColumnLook& look : looks) {
        const bool weekend = weekends.contains(look.day);
        if (look.day <= 29) {
            EXPECT_FALSE(look.pastEnd) << look.day;
            EXPECT_EQ(look.weekend, weekend) << look.day;
            EXPECT_EQ(look.text, weekend ? DayColours::red() : DayColours::windowText()) << look.day;
            EXPECT_EQ(look.title, look.text) << look.day;
        } else {
            EXPECT_TRUE(look.pastEnd) << look.day;
            EXPECT_EQ(look.text, DayColours::windowBackground()) << look.day;
            EXPECT_EQ(look.title, DayColours::silver()) << look.day;
        }
    }
}

TEST(ShiftCellColoursTest, HoursDecideColourWeightAndBackground)
{
    const QVector<DayColumnLook> feb = dayColumnLooks(MonthRange(2012, 2));
    const DayColumnLook workday = feb.at(0);    // Wednesday 1 February
    const DayColumnLook saturday = feb.at(3);   // 4 February
    const DayColumnLook pastEnd = feb.at(30);   // "31 February"
    const QVariant null(QMetaType(QMetaType::Int));
    struct Case {
        const char* what;
        DayColumnLook look;
        QVariant value;
        QColor text;
        bool bold;
        QColor background;   // invalid: none
    } cases[] = {
        {"0 on a working day is silver", workday, 0, DayColours::silver(), false, {}},
        {"0 on a weekend stays red", saturday, 0, DayColours::red(), false, {}},
        {"NULL reads as 0", workday, null, DayColours::silver(), false, {}},
        {"0 past the month's end vanishes", pastEnd, null, DayColours::windowBackground(), false, {}},
        {"8 is bold", workday, 8, DayColours::windowText(), true, {}},
        {"8 on a weekend is bold and red", saturday, 8, DayColours::red(), true, {}},
        {"12 is bold on money green", workday, 12, DayColours::windowText(), true, DayColours::moneyGreen()},
        {"9 on a weekend is red on money green", saturday, 9, DayColours::red(), true, DayColours::moneyGreen()},
        {"5 keeps the column's look", workday, 5, DayColours::windowText(), false, {}},
        {"5 on a weekend keeps red", saturday, 5, DayColours::red(), false, {}},
    };
    for (const Case& c : cases) {
        const CellStyle s = TForm19::DBGrid1DrawColumnCell(c.look, c.value);
        EXPECT_EQ(s.foreground.value_or(QColor()), c.text) << c.what;
        EXPECT_EQ(s.bold.value_or(false), c.bold) << c.what;
        EXPECT_EQ(s.background.value_or(QColor()), c.background) << c.what;
    }
}

#pragma once
#include <QColor>
#include <QDate>
#include <QString>
#include <QVector>

// One calendar month and what the timesheets derive from it: its bounds as
// a half-open date range (first day included, first day of the next month
// excluded) and the look of its day columns.
struct MonthRange {
    int year = 0;
    int month = 0;   // 1..12

    MonthRange() = default;
    MonthRange(int y, int m) : year(y), month(m) {}
    static MonthRange of(const QDate& date) { return {date.year(), date.month()}; }

    QDate first() const { return QDate(year, month, 1); }
    // The first day of the following month: 1 January of the next year after December.
    QDate next() const { return first().addMonths(1); }
    int days() const { return first().daysInMonth(); }

    // "Январь" .. "Декабрь".
    static QString monthName(int month);
    static QStringList monthNames();
};

// How a day column of a month grid looks: red for Saturdays and Sundays,
// the window-text colour on working days; past the month's end the values
// vanish (window background colour) and the title is silver.
struct DayColumnLook {
    int day = 0;                 // 1..31
    bool pastEnd = false;        // the month has no such day
    bool weekend = false;
    QColor text;                 // colour of the values
    QColor title;                // colour of the title
};

namespace DayColours {
inline QColor red() { return QColor(255, 0, 0); }
inline QColor silver() { return QColor(192, 192, 192); }
inline QColor moneyGreen() { return QColor(192, 220, 192); }
inline QColor totals() { return QColor(225, 228, 255); }
QColor windowText();
QColor windowBackground();
}

// The day of a day column's field: "d12" is 12; 0 for any other field.
int dayOfField(const QString& field);

// The 31 day columns of a month.
QVector<DayColumnLook> dayColumnLooks(const MonthRange& month);

#pragma once
#include "reports/ReportLayout.h"
#include "tests/support/TestDatabase.h"

#include <QDate>
#include <QString>
#include <QStringList>

// A small workshop whose November 2026 every summary report totals by
// hand (see SummaryFixture.cpp for the rows and the sums they give):
//  - Иванов makes products of group "Группа А" in colour 0, 1 (primer) and
//    5, has maintenance work and average piecework in "Группа А" and
//    maintenance work in "Группа В", where he made nothing;
//  - Петров makes products of both groups without booking hours and has
//    night maintenance work in "Группа Б";
//  - Сидоров has only average piecework.
// Records on 31.10 and on 01.12 lie outside the period; those on 01.11
// are inside.
void addSummaryWorkshop(TestDatabase& db);

inline const QDate kFrom(2026, 11, 1);
inline const QDate kTo(2026, 12, 1);

// Binds the period, sets the product-type filter ("" none), opens the
// layout's query and prepares the pages.
const report::PageModel& prepareLayout(ReportLayout& layout, const QDate& from, const QDate& to,
                                       const QString& filter = QString());

// The texts printed for an item, without the blanks around them.
QStringList printed(const report::PageModel& model, const QString& item);

// The text of a PDF as pdftotext reads it with its layout.
QString pdfText(const QString& fileName);

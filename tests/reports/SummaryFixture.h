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

// Added to the workshop: two workers named "Кузнецов К.К." (4 and 5) and
// two nomenclature groups named "Группа Г" (504 and 505). Worker 4 makes
// 10.00 in each group and has maintenance work of 11.00 in 504 and 7.00
// in 505; worker 5 makes 20.00 in 505 and has maintenance work of 22.00
// there.
void addNamesakes(TestDatabase& db);

// Added to the workshop, all on 20.11.2026: worker 6 with a name longer
// than its column, in a nomenclature group of a long name, makes a product
// of a long name by a long operation kind in 89 colours (2 to 90), one
// piece of each for 1.00, enough rows for his group to run over a page
// break in every layout; he also has 2 h of maintenance work for 20.00.
void addLongNames(TestDatabase& db);
inline const QString kLongWorker = QStringLiteral("Константинопольский-Многоименный Александр-Вениамин Бонифатьевич-Оглы");
inline const QString kLongGroup = QStringLiteral("Комплектующие изделия для сборки металлических стеллажей, шкафов и верстаков повышенной грузоподъёмности");
inline const QString kLongProduct = QStringLiteral("СТЕЛЛАЖ-МЕТАЛЛИЧЕСКИЙ-ОЦИНКОВАННЫЙ-2000х1000х500-5-ПОЛОК");
inline const QString kLongKind = QStringLiteral("Окраска порошковая полимерная в два слоя с сушкой");

inline const QDate kFrom(2026, 11, 1);
inline const QDate kTo(2026, 12, 1);

// Binds the period, sets the product type as the reports window does (0
// all, 1 finished goods, 2 blanks), opens the layout's query and prepares
// the pages.
const report::PageModel& prepareLayout(ReportLayout& layout, const QDate& from, const QDate& to, int productType = 0);

// The texts printed for an item, without the blanks around them.
QStringList printed(const report::PageModel& model, const QString& item);

// The text of a PDF as pdftotext reads it with its layout.
QString pdfText(const QString& fileName);

#pragma once
#include "db/Dataset.h"
#include "reports/engine/ReportEngine.h"

class Database;

// The print layout of the shift timesheet: the month's hours per worker
// name and day over all his timesheet rows, on A4 landscape, the column
// header reprinted on every page and the page number at the foot.
class TForm15 {
public:
    explicit TForm15(Database& db);
    TForm15(const TForm15&) = delete;
    TForm15& operator=(const TForm15&) = delete;

    Dataset H_Tabel;                    // :mnth, :yea
    report::ReportDefinition QuickRep1;

    // The period text above the names ("Март 2012 г."); it is also the
    // document's title.
    void setPeriodText(const QString& text);
    QString periodText() const;

    // Lays out every page over the open query.
    const report::PageModel& Prepare();
    const report::PageModel& pages() const { return m_pages; }

    // Columns in mm from the left margin.
    static constexpr double kNameWidth = 58;
    static constexpr double kDayWidth = 6.6;
    static constexpr double kTotalWidth = 277 - kNameWidth - 31 * kDayWidth;

private:
    report::PageModel m_pages;
};

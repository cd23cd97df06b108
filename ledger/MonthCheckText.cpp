#include "ledger/MonthCheckText.h"
#include "ledger/MonthClosing.h"

namespace MonthCheck {

QString placeText(const Finding& f)
{
    if (f.source == Source::MaintenanceRecord)
        return QStringLiteral("хоз. работы");
    if (f.shift == 4)
        return QStringLiteral("переработка");
    return f.shift > 0 ? QStringLiteral("смена %1").arg(f.shift) : QString();
}

QString summaryText(const Result& result)
{
    const MonthRange& month = result.month;
    if (month.year == 0)
        return QString();
    const QString name = MonthClosing::monthText(month.year, month.month);
    if (result.isClean())
        return QStringLiteral("За %1 замечаний нет.").arg(name);
    QString summary = QStringLiteral("За %1 замечаний: %2").arg(name).arg(result.findings.size());
    if (const int blocking = result.blocking(); blocking > 0)
        summary += QStringLiteral(", из них по табелю и ценам: %1.").arg(blocking);
    else
        summary += QStringLiteral(".");
    return summary;
}

} // namespace MonthCheck

#pragma once
#include "ledger/MonthCheck.h"

#include <QString>

// The month check's findings and result in words, as the check window and
// the command line show them.
namespace MonthCheck {

// Where a finding is: "смена 1" .. "смена 3", "переработка", or
// "хоз. работы" for a maintenance record.
QString placeText(const Finding& finding);

// The line under the month's choice: "За <месяц> замечаний нет.", or how
// many findings there are and how many of them would make the pay wrong.
// Empty for a check of no month.
QString summaryText(const Result& result);

} // namespace MonthCheck
